#!/usr/bin/env bash
# Runs one Win32 program under Wine in a prefix of its own.
#
#   wine-run.sh PROGRAM.exe [ARGS...]
#   wine-run.sh --template [DIR]        makes the template prefix that
#                                        programs run from unless it is ready,
#                                        prints its path (with DIR: copies it
#                                        there); one line saying what failed
#                                        and exit 1 when it cannot be made
#   wine-run.sh --sweep                 removes what killed runs left behind
#
# Each run gets an Xvfb display of its own. The prefix is a fresh copy of the
# project's template prefix (made once per bitness, pinned to Windows 7, Mono
# and Gecko skipped, in a virtual desktop so captions are drawn without a
# window manager). It is removed afterwards and
# its wineserver stopped, so a test may change the spooler, the registry or the
# Windows version freely and nothing ever reaches ~/.wine.
#
# The template, template-ARCH, is a link to a folder template-ARCH.XXXXXX that
# is marked ready (.ready names its loader) once Wine has booted it, taken the
# settings and started a program in it. A remake boots a new folder beside it
# and renames a new link over the old one, so a copy under way reads the old
# folder whole. The script that uses a folder holds it (flock): a run its
# prefix, a maker the template it makes, a copy the template it reads. The
# sweep removes only what no live script holds, after stopping the Wine
# processes a killed run left there, and never a prefix kept with
# SETUP_WINE_KEEP.
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
#   SETUP_WINE_LOCALE   Unix locale for this run (ja_JP.UTF-8: ANSI code page
#                       932), from the build tree's build/locale when
#                       tools/make-locale.sh made it there
#   SETUP_WINE_DPI      screen DPI for this run (96, 120, 144, ...)
#   SETUP_WINE_KEEP     keep the run prefix (prints its path) for inspection;
#                       the sweep leaves it
#   SETUP_WINE_PREFIX   use this existing prefix as is (not copied, not removed)
#   SETUP_WINE_SHARED_DISPLAY  show the windows on $DISPLAY instead of a
#                       display of the run's own
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=${SETUP_WINE_ROOT:-$here/../build/wine}
mkdir -p "$root"
root=$(cd "$root" && pwd)

# The clean-up stops Wine only in a prefix this script makes or is given,
# never in the caller's.
unset WINEPREFIX
mode=run
case ${1:-} in
    --template | --sweep) mode=${1#--}; shift ;;
esac
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
fi
# By its real path, so that one loader spelled two ways is one loader to the
# template's .ready.
loaders=$(realpath -m "$loaders")
[ -x "$loaders/wine" ] || { echo "wine-run: no 32-bit loader here; run tools/make-loader.sh build/loader" >&2; exit 1; }
wine=$loaders/wine
[ "$arch" = win64 ] && wine=$loaders/wine64
export WINESERVER=$loaders/wineserver
wineserver=$WINESERVER
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export XDG_CACHE_HOME=$root/cache
export XDG_DATA_HOME=$root/data
export XDG_CONFIG_HOME=$root/config

# Removes those of the given folders that no live script holds, and stops
# the Wine processes a killed one left there. The current template and the
# prefixes kept with SETUP_WINE_KEEP stay.
sweep() {
    local dir
    for dir in "$@"; do
        [ -d "$dir" ] && [ ! -L "$dir" ] || continue
        [ "$dir" -ef "${dir%.*}" ] && continue
        [ -e "$dir/.kept" ] && continue
        { flock -n 7 && { WINEPREFIX=$dir "$wineserver" -k 7<&-; rm -rf "$dir"; }; } 7<"$dir" >/dev/null 2>&1
    done
}
if [ "$mode" = sweep ]; then
    sweep "$root"/template-win??.?????? "$root"/run.??????
    exit 0
fi

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

# One step of making the template, its output in a log; when it fails, one
# line says which. Wine's processes, which may outlive the script, get none
# of its locks and holds.
step() {
    local what=$1 status last
    shift
    "$@" >"$make_log" 2>&1 6<&- 8<&- 9>&- && return 0
    status=$?
    last=$(grep -v '^[[:space:]]*$' "$make_log" | tail -n 1 | tr -d '\r')
    echo "wine-run: the $arch template was not made: $what failed (exit $status${last:+: $last})" >&2
    return $status
}

# Removes a template that was not finished, and stops Wine there.
discard_unready() {
    [ -n "${unready:-}" ] || return 0
    WINEPREFIX=$unready "$wineserver" -k >/dev/null 2>&1
    WINEPREFIX=$unready "$wineserver" -w >/dev/null 2>&1
    rm -rf "$unready" "$make_log"
    unready=""
    exec 6<&-
}

# Makes the template in a new folder and, once a program has started there,
# links it in place of the old one, which stays whole for the copies under
# way until a sweep finds it free.
make_template() {
    unready=$(mktemp -d "$template.XXXXXX") && make_log=$(mktemp) || return 1
    exec 6<"$unready"
    flock 6
    local -x WINEPREFIX=$unready
    # What runs there is 32-bit: a 64-bit prefix must start it through WOW64.
    local probe='C:\windows\system32\cmd.exe'
    [ "$arch" = win64 ] && probe='C:\windows\syswow64\cmd.exe'
    local link=$unready.link
    if ! { step wineboot "$wine" wineboot -i &&
           step "the Windows version setting" "$wine" reg add 'HKCU\Software\Wine' /v Version /d win7 /f &&
           step "the virtual desktop setting" "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
           step "the desktop size setting" "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f &&
           # Debian's Wine does not look in the folder its own fonts come in:
           # without them the frames lack Marlett's glyphs (the close box is an "r").
           step "the copy of Wine's fonts" cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon \
               "$unready/drive_c/windows/Fonts/" &&
           step "a program start ($probe)" "$wine" "$probe" /c exit 0 &&
           step "the wait for wineserver" "$wineserver" -w &&
           step "the ready mark" tee "$unready/.ready" <<<"$wine" &&
           # A template folder from before templates were linked moves aside.
           { [ -L "$template" ] || [ ! -e "$template" ] ||
               step "moving the unlinked template aside" mv -T "$template" "$(mktemp -u "$template.XXXXXX")"; } &&
           step "linking it in" ln -sfn "$(basename "$unready")" "$link" &&
           step "linking it in" mv -T "$link" "$template"; }; then
        rm -f "$link"
        discard_unready
        return 1
    fi
    rm -f "$make_log"
    unready=""
    exec 6<&-
    sweep "$template".??????
}

template_ready() { [ -L "$template" ] && [ "$(cat "$template/.ready" 2>/dev/null)" = "$wine" ]; }

# The template, made unless it is ready. The lock is taken only to make one:
# one maker per bitness at a time, the others wait and find it ready.
ensure_template() {
    template_ready && return 0
    exec 9>"$template.lock"
    flock 9
    template_ready || make_template
    local status=$?
    exec 9>&-
    return $status
}

# Copies the ready template into folder $1, holding it meanwhile so that no
# sweep removes it, even once a remake has linked another in its place. One
# swept away or remade for other loaders between the look and the hold is
# looked up again.
take_template() {
    local dir
    for _ in 1 2; do
        ensure_template || return 1
        dir=$(readlink -f "$template")
        [ -d "$dir" ] && { flock -s -n 7 && [ "$(cat "$dir/.ready" 2>/dev/null)" = "$wine" ] &&
                               cp -a "$dir/." "$1/"; } 7<"$dir" && return 0
    done
    echo "wine-run: the $arch template could not be copied into $1" >&2
    return 1
}

cleanup() {
    discard_unready
    if [ -n "${WINEPREFIX:-}" ]; then
        $wineserver -k >/dev/null 2>&1
        $wineserver -w >/dev/null 2>&1
    fi
    [ -n "${own_prefix:-}" ] && [ -z "${SETUP_WINE_KEEP:-}" ] && rm -rf "$own_prefix"
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}

if [ "$mode" = template ]; then
    start_display || exit 1
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    if [ $# -ge 1 ]; then
        take_template "$1" || exit 1
    else
        ensure_template || exit 1
        readlink -f "$template"
    fi
    exit 0
fi
[ $# -ge 1 ] || { echo "usage: wine-run.sh --template [DIR] | --sweep | PROGRAM [ARGS...]" >&2; exit 2; }
start_display || exit 1
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${SETUP_WINE_PREFIX:-}" ]; then
    export WINEPREFIX=$SETUP_WINE_PREFIX
else
    own_prefix=$(mktemp -d "$root/run.XXXXXX") || exit 1
    exec 8<"$own_prefix"
    flock 8
    take_template "$own_prefix" || exit 1
    export WINEPREFIX=$own_prefix
    if [ -n "${SETUP_WINE_KEEP:-}" ]; then
        touch "$own_prefix/.kept"
        echo "wine-run: prefix kept at $own_prefix" >&2
    fi
fi
if [ -n "${SETUP_WINE_VERSION:-}" ]; then
    "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$SETUP_WINE_VERSION" /f >/dev/null 2>&1 8<&-
fi
# Wine takes the ANSI code page from the Unix locale, and the DPI from the
# user's LogPixels.
if [ -n "${SETUP_WINE_LOCALE:-}" ]; then
    [ -f "$here/../build/locale/$SETUP_WINE_LOCALE/LC_CTYPE" ] && export LOCPATH=$here/../build/locale
    export LANG=$SETUP_WINE_LOCALE LC_ALL=$SETUP_WINE_LOCALE
fi
if [ -n "${SETUP_WINE_DPI:-}" ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$SETUP_WINE_DPI" /f \
        >/dev/null 2>&1 8<&-
fi
"$wine" "$@" 8<&-
exit $?
