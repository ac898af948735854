#!/usr/bin/env bash
# Makes Wine's loaders runnable where the kernel runs 64-bit code only, by
# running the 32-bit loader under user-mode CPU emulation (qemu-i386).
# Nothing on the machine changes: the loaders live in a folder of the build.
# Does nothing when the 32-bit loader starts natively; installs Wine's 32-bit
# package when it is missing. Safe to run again: it renews its copies of
# Wine's loaders when Wine has changed.
#
#   make-loader.sh LOADER_DIR
#
# LOADER_DIR mirrors /usr, since Wine finds its libraries and data from the
# real path of its loader:
#   lib/wine/wine         the wrapper: qemu-i386 -0 <this path> wine-i386
#   lib/wine/wine-i386    a copy of Wine's 32-bit loader
#   lib/wine/wine64       a copy of Wine's 64-bit loader
#   lib/wine/qemu-i386    qemu 10, taken from bookworm-backports' qemu-user
#   lib/wine/wineserver, lib/i386-linux-gnu, lib/x86_64-linux-gnu, share: links
# Wine starts the loader of the other bitness from the folder of its own real
# path, so every 32-bit child (services.exe, explorer.exe, WOW64 programs of a
# 64-bit prefix) comes back through the wrapper. WINELOADER must stay unset:
# Wine 8 does not take a wrapper there.
#
# bookworm's own qemu 7.2 cannot serve: it lets mmap(MAP_FIXED_NOREPLACE)
# succeed over a taken area, and each 32-bit Wine process then spends minutes
# probing its address space.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: make-loader.sh LOADER_DIR" >&2; exit 2; }
# A loader that is not there says nothing of the kernel.
if [ ! -e /usr/lib/wine/wine ]; then
    echo "make-loader: Wine's 32-bit loader is not installed (package wine32:i386); installing it"
    "$here/install-deps.sh" || exit 1
    [ -e /usr/lib/wine/wine ] || {
        echo "make-loader: /usr/lib/wine/wine is still missing; reinstall it: apt-get install --reinstall wine32:i386" >&2
        exit 1
    }
fi
"$here/runs-32bit.sh" && exit 0

mkdir -p "$1"
root=$(cd "$1" && pwd)
bin=$root/lib/wine
qemu=$bin/qemu-i386
# After a Wine upgrade the copies of its loaders no longer fit the libraries
# the folder links to.
copies_current() { cmp -s /usr/lib/wine/wine "$bin/wine-i386" && cmp -s /usr/lib/wine/wine64 "$bin/wine64"; }
[ -f "$root/.ready" ] && copies_current && "$bin/wine" --version >/dev/null 2>&1 && exit 0

work=""
trap '[ -z "$work" ] || rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

qemu_ok() { "$1" --version 2>/dev/null | grep -Eq 'version (1[0-9]|[2-9][0-9])\.'; }

# qemu-user from bookworm-backports, its static qemu-i386 taken out of the
# package into the build. The suite is added through apt options for these
# calls only, from the machine's own Debian source; /etc/apt is not touched.
fetch_qemu() {
    local status=1 try
    work=$(mktemp -d)
    mkdir -p "$work/parts" "$work/lists/partial"
    # The Debian stanza that serves bookworm itself, with the backports suite.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Suites:[^\n]*[[:space:]]bookworm([[:space:]]|$)/ && !/security/' \
        /etc/apt/sources.list.d/*.sources 2>/dev/null |
        sed -E 's/^Suites:.*/Suites: bookworm-backports/' >"$work/parts/backports.sources"
    sed -nE 's/^[[:space:]]*deb[[:space:]]+((\[[^]]*\][[:space:]]+)?[^[:space:]]+)[[:space:]]+bookworm[[:space:]]+.*/deb \1 bookworm-backports main/p' \
        /etc/apt/sources.list 2>/dev/null | head -n 1 >"$work/parts/backports.list"
    local apt=(apt-get -q -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts"
               -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o APT::Architectures::=amd64
               -o APT::Sandbox::User=root)
    for try in 1 2 3; do
        if "${apt[@]}" update >"$work/log" 2>&1 &&
           (cd "$work" && "${apt[@]}" download qemu-user/bookworm-backports >>"$work/log" 2>&1); then
            status=0
            break
        fi
        [ "$try" -lt 3 ] && sleep $((try * 10))
    done
    if [ $status -eq 0 ]; then
        dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -x -C "$work" ./usr/bin/qemu-i386 &&
            mv "$work/usr/bin/qemu-i386" "$qemu" || status=1
    fi
    [ $status -eq 0 ] || tail -n 5 "$work/log" >&2
    rm -rf "$work"
    work=""
    return $status
}

mkdir -p "$bin"
if ! qemu_ok "$qemu"; then
    echo "make-loader: this kernel runs no 32-bit code; fetching qemu-i386 10 to run Wine's 32-bit loader"
    fetch_qemu && qemu_ok "$qemu" || {
        echo "make-loader: could not get qemu-i386 10 from bookworm-backports (qemu-user); check the apt sources or wait for the mirror, then run make again" >&2
        exit 1
    }
fi
# Copies, not links: Wine takes its folder from the loader's real path. Each
# is renamed into place, as a run may still be using the one it replaces.
renew() { cp "$1" "$2.new" && mv -f "$2.new" "$2"; }
renew /usr/lib/wine/wine "$bin/wine-i386" && renew /usr/lib/wine/wine64 "$bin/wine64" || {
    echo "make-loader: cannot copy Wine's loaders into $bin" >&2
    exit 1
}
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver
ln -sfn "$server" "$bin/wineserver"
ln -sfn /usr/lib/i386-linux-gnu "$root/lib/i386-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu "$root/lib/x86_64-linux-gnu"
ln -sfn /usr/share "$root/share"
cat >"$bin/wine" <<'EOF'
#!/bin/sh
# Wine's 32-bit loader under CPU emulation, under this wrapper's name: Wine
# starts its 32-bit children by that name.
here=$(dirname "$0")
exec "$here/qemu-i386" -0 "$0" "$here/wine-i386" "$@"
EOF
chmod +x "$bin/wine"
"$bin/wine" --version >/dev/null 2>&1 || { echo "make-loader: the emulated 32-bit loader does not start" >&2; exit 1; }
touch "$root/.ready"
echo "make-loader: 32-bit programs run through $bin/wine"
