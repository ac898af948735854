#!/usr/bin/env bash
# Runs one Win32 program under Wine in a prefix of its own.
#
#   wine-run.sh PROGRAM.exe [ARGS...]
#   wine-run.sh --template              makes the template prefix that
#                                        programs run from, prints its path
#
# Each run gets an Xvfb display of its own. The prefix is a fresh copy of the
# project's template prefix (made once per bitness, pinned to Windows 7, Mono
# and Gecko skipped, in a virtual desktop so captions are drawn without a
# window manager). It is removed afterwards and
# its wineserver stopped, so a test may change the spooler, the registry or the
# Windows version freely and nothing ever reaches ~/.wine.
#
# The programs are 32-bit: they run in a 32-bit prefix, or under WOW64 in a
# 64-bit prefix when SETUP_WINE_ARCH=win64, as on 64-bit Windows. Where the
# kernel runs no 32-bit code, Wine's loaders come from the emulated loader
# folder that tools/make-loader.sh makes.
#
# Environment:
#   SETUP_WINE_ROOT     where the template and run prefixes live (default: build/wine)
#   SETUP_WINE_LOADER   the emulated loader folder (default: build/loader)
#   SETUP_WINE_ARCH     win32 (default) or win64
#   SETUP_WINE_VERSION  Windows version for this run (win2k, winxp, vista, win7, ...)
#   SETUP_WINE_KEEP     keep the run prefix (prints its path) for inspection
#   SETUP_WINE_PREFIX   use this existing prefix as is (not copied, not removed)
#   SETUP_WINE_SHARED_DISPLAY  show the windows on $DISPLAY instead of a
#                       display of the run's own
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=${SETUP_WINE_ROOT:-$here/../build/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)

template_only=""
[ "${1:-}" = --template ] && { template_only=1; shift; }
arch=${SETUP_WINE_ARCH:-win32}
export WINEARCH=$arch
template=$root/template-$arch
# A 64-bit prefix starts from the 64-bit loader, which hands 32-bit programs
# to the 32-bit loader beside it. Debian's wine script would run the 32-bit
# loader even there.
if "$here/runs-32bit.sh"; then
    loaders=/usr/lib/wine
else
    loaders=${SETUP_WINE_LOADER:-$here/../build/loader}/lib/wine
    [ -x "$loaders/wine" ] || { echo "wine-run: no 32-bit loader here; run tools/make-loader.sh build/loader" >&2; exit 1; }
fi
wine=$loaders/wine
[ "$arch" = win64 ] && wine=$loaders/wine64
export WINESERVER=$loaders/wineserver
wineserver=$WINESERVER
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export XDG_CACHE_HOME=$root/cache
export XDG_DATA_HOME=$root/data
export XDG_CONFIG_HOME=$root/config

# A display of the run's own, so that windows, focus and screenshots of runs
# side by side never mix; the caller's display only when asked to
# (SETUP_WINE_SHARED_DISPLAY, for a person watching).
start_display() {
    [ -n "${DISPLAY:-}" ] && [ -n "${SETUP_WINE_SHARED_DISPLAY:-}" ] && return 0
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$number_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    local i
    for i in $(seq 1 200); do
        if [ -s "$number_file" ]; then
            export DISPLAY=:$(tr -d '[:space:]' <"$number_file")
            rm -f "$number_file"
            return 0
        fi
        kill -0 $xvfb_pid 2>/dev/null || break
        sleep 0.05
    done
    rm -f "$number_file"
    echo "wine-run: cannot start Xvfb" >&2
    return 1
}

make_template() {
    # One maker at a time; the others wait for it.
    exec 9>"$root/template.lock"
    flock 9
    # A template is made by one set of loaders: one that another set made (a
    # 64-bit prefix booted where no 32-bit loader ran lacks its 32-bit half)
    # is made again.
    if [ "$(cat "$template/.ready" 2>/dev/null)" != "$wine" ]; then
        rm -rf "$template"
        WINEPREFIX=$template "$wine" wineboot -i >/dev/null 2>&1
        WINEPREFIX=$template "$wine" reg add 'HKCU\Software\Wine' /v Version /d win7 /f >/dev/null 2>&1
        WINEPREFIX=$template "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        WINEPREFIX=$template "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        # Debian's Wine does not look in the folder its own fonts come in:
        # without them the frames lack Marlett's glyphs (the close box is an "r").
        cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$template/drive_c/windows/Fonts/" 2>/dev/null
        WINEPREFIX=$template $wineserver -w
        echo "$wine" >"$template/.ready"
    fi
    flock -u 9
    exec 9>&-
}

cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then
        $wineserver -k >/dev/null 2>&1
        $wineserver -w >/dev/null 2>&1
        [ -n "${own_prefix:-}" ] && [ -z "${SETUP_WINE_KEEP:-}" ] && rm -rf "$own_prefix"
    fi
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}

if [ -n "$template_only" ]; then
    start_display || exit 1
    trap cleanup EXIT
    make_template
    echo "$template"
    exit 0
fi
[ $# -ge 1 ] || { echo "usage: wine-run.sh [--template] | PROGRAM [ARGS...]" >&2; exit 2; }
start_display || exit 1
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${SETUP_WINE_PREFIX:-}" ]; then
    export WINEPREFIX=$SETUP_WINE_PREFIX
else
    make_template
    own_prefix=$(mktemp -d "$root/run.XXXXXX")
    cp -a "$template/." "$own_prefix/"
    export WINEPREFIX=$own_prefix
    [ -n "${SETUP_WINE_KEEP:-}" ] && echo "wine-run: prefix kept at $own_prefix" >&2
fi
if [ -n "${SETUP_WINE_VERSION:-}" ]; then
    "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$SETUP_WINE_VERSION" /f >/dev/null 2>&1
fi
"$wine" "$@"
exit $?
