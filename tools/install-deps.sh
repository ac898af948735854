#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Safe to run again:
# it does nothing when everything is already there.
#
# A mirror caught mid-sync fails one index now and then ("File has unexpected
# size ... Mirror sync in progress?"). With that index missing, the i386 and
# amd64 halves of a shared library can come from different suites and
# wine32:i386 cannot be installed, so the update is retried, and as a last
# resort the packages are installed without the suites whose index failed.
set -u
packages=(cmake make g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb mscompress googletest
          fonts-liberation fonts-wine locales)
need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in "${packages[@]}"; do
    have_pkg "$p" || need+=("$p")
done
# The cross tools the build runs, by the package that brings each. dpkg has
# been seen to list such a package as installed with its tool gone from
# /usr/bin (after an install without a suite); that package is installed again.
tools=(i686-w64-mingw32-gcc-win32:gcc-mingw-w64-i686-win32 i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32
       i686-w64-mingw32-gcc-posix:gcc-mingw-w64-i686-posix i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix
       i686-w64-mingw32-ar:binutils-mingw-w64-i686 i686-w64-mingw32-windres:binutils-mingw-w64-i686
       i686-w64-mingw32-dlltool:binutils-mingw-w64-i686 i686-w64-mingw32-objdump:binutils-mingw-w64-i686)
reinstall=()
for t in "${tools[@]}"; do
    command -v "${t%%:*}" >/dev/null || reinstall+=("${t##*:}")
done
need+=("${reinstall[@]}")
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
log=$(mktemp)
sources=""
trap 'rm -rf "$log" $sources' EXIT
echo "install-deps: installing ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386 || { echo "install-deps: cannot add the i386 architecture (dpkg --add-architecture i386)"; exit 1; }
fi

apt_options=()
update() {
    local try
    for try in 1 2 3; do
        $sudo apt-get "${apt_options[@]}" update -qq >"$log" 2>&1 && return 0
        [ "$try" -lt 3 ] && sleep $((try * 10))
    done
    return 1
}
install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get "${apt_options[@]}" install -y -qq \
        --no-install-recommends ${reinstall[0]:+--reinstall} "${need[@]}" >>"$log" 2>&1
}
# The suites named in "Failed to fetch .../dists/SUITE/..." lines.
failed_suites() {
    sed -n 's|.*Failed to fetch [^ ]*/dists/\([^/ ]*\)/.*|\1|p' "$log" | sort -u
}
# A copy of the apt sources without the given suites, for this run only.
sources_without() {
    sources=$(mktemp -d)
    local file suite
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        cp "$file" "$sources/"
        for suite in "$@"; do
            # One-line entries naming the suite go; deb822 stanzas lose it
            # from their Suites field.
            sed -i -E -e "/^[[:space:]]*deb(-src)?[[:space:]].*[[:space:]]${suite}([[:space:]]|\$)/d" \
                -e "/^Suites:/{s/[[:space:]]${suite}([[:space:]]|\$)/ /g}" \
                "$sources/$(basename "$file")"
        done
        # A stanza left without suites is switched off.
        sed -i -E 's/^Suites:[[:space:]]*$/Enabled: no\nSuites: none/' "$sources/$(basename "$file")"
    done
    apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$sources")
}

update_ok=1
update || update_ok=0
install && exit 0
if [ "$update_ok" -eq 0 ]; then
    suites=$(failed_suites)
    if [ -n "$suites" ]; then
        echo "install-deps: the package index of $(echo $suites) failed to download (mirror mid-sync?); installing without it"
        # shellcheck disable=SC2086
        sources_without $suites
        update
        install && exit 0
    fi
fi
tail -n 5 "$log"
echo "install-deps: could not install ${need[*]}; check the network and the apt sources, or wait for the mirror to finish syncing and run make again"
exit 1
