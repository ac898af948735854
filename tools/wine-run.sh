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
# window manager, the services no test uses started only on demand). It is
# removed afterwards and
# its wineserver stopped, so a test may change the spooler, the registry or the
# Windows version freely and nothing ever reaches ~/.wine.
#
# The template, template-ARCH, is a link to a folder template-ARCH.XXXXXX that
# is marked ready once Wine has booted it, taken the settings and started a
# program in it; .ready records what made it (the loader, Wine's version, the
# loaders' files), and one made by another Wine is made again. A copy shares
# the system folders' copies of Wine's own programs and libraries with the
# template (hard links, listed in .shared; some 500 MB that Wine only reads,
# as it loads them from its own folder), and copies the rest; a template
# whose shared files changed after it was made is made again. A remake boots
# a new folder beside it and renames a new link over the old one, so a copy
# under way reads the old folder whole. The script that uses a folder holds it
# (flock) from the moment it exists: a run its folder run.XXXXXX (its prefix,
# and the mark of its display), a maker the template it makes, a copy the
# template it reads, the disk-full test its diskfull.XXXXXX. The sweep removes
# only what no live script holds, after stopping the Wine processes a killed
# run left there and unmounting what it mounted, and the Xvfb servers of such
# runs; it looks at templates under the lock of their makers, and never
# removes a prefix kept with SETUP_WINE_KEEP.
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
. "$here/hold-folder.sh"
root=${SETUP_WINE_ROOT:-$here/../build/wine}
mkdir -p "$root"
# As the kernel lists its mounts.
root=$(cd "$root" && pwd -P)

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
# What every run's Wine would otherwise start for nothing: the event log,
# Plug and Play and the network drivers, which no test uses, start on demand
# instead (MountMgr stays: without it a drive's volume cannot be read); the
# RPC service, which only the desktop's shell asks for (no program here uses
# COM), is disabled; the HID and USB bus drivers, which services.exe starts
# for their root devices whatever their start type, lose those devices; and
# the menu builder, which is disabled anyway, is not started. Under CPU
# emulation each process costs about a second of CPU. Then what every run
# starts from: Windows 7, and a virtual desktop, in which Wine draws the
# frames itself.
settings='Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Eventlog]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\PlugPlay]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\NDIS]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\nsiproxy]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\RpcSs]
"Start"=dword:00000004

[-HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum\ROOT\WINE\WINEBUS]

[-HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum\ROOT\WINE\WINEUSB]

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunServices]
"winemenubuilder"=-

[HKEY_CURRENT_USER\Software\Wine]
"Version"="win7"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
'
# What a template records as its maker: an upgrade keeps the loader's path
# but changes Wine's version or the loaders' files (their copies included);
# a template of other settings is made again too.
maker=$(printf '%s\n' "$wine" "$("$wineserver" --version 2>&1)"; cd "$loaders" && stat -L -c '%n %s %Y' wine* qemu-i386 2>/dev/null
        echo "settings $(cksum <<<"$settings")")
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export XDG_CACHE_HOME=$root/cache
export XDG_DATA_HOME=$root/data
export XDG_CONFIG_HOME=$root/config

# Removes those of the given folders that no live script holds, after
# stopping the Wine processes a killed one left there and unmounting what it
# mounted (the disk-full test's tmpfs; deepest first). The current template
# and the prefixes kept with SETUP_WINE_KEEP stay.
sweep() {
    local dir mount
    for dir in "$@"; do
        [ -d "$dir" ] && [ ! -L "$dir" ] || continue
        [ "$dir" -ef "${dir%.*}" ] && continue
        [ -e "$dir/.kept" ] && continue
        { flock -n 7 || continue
          WINEPREFIX=$dir "$wineserver" -k 7<&-
          WINEPREFIX=$dir "$wineserver" -w 7<&-
          awk -v dir="$dir/" 'index($2, dir) == 1 { print $2 }' /proc/self/mounts | sort -r |
              while read -r mount; do umount "$(printf '%b' "$mount")"; done
          rm -rf "$dir"; } 7<"$dir" >/dev/null 2>&1
    done
}

# Stops the Xvfb servers whose run no live script holds. Each carries its
# run's folder in its environment; the folder may be gone already.
sweep_displays() {
    local proc name run
    for proc in /proc/[0-9]*; do
        read -r name 2>/dev/null <"$proc/comm" && [ "$name" = Xvfb ] || continue
        run=$(tr '\0' '\n' 2>/dev/null <"$proc/environ" | sed -n 's/^SETUP_WINE_RUN=//p')
        case $run in "$root"/run.??????) ;; *) continue ;; esac
        { [ ! -d "$run" ] || flock -n 7 7<"$run"; } 2>/dev/null && kill "${proc#/proc/}" 2>/dev/null
    done
}

if [ "$mode" = sweep ]; then
    sweep "$root"/run.?????? "$root"/diskfull.??????
    # Templates only while no maker of their bitness is at work.
    for lock in "$root"/template-win??.lock; do
        [ -e "$lock" ] || continue
        { flock -n 9 && sweep "${lock%.lock}".??????; } 9<"$lock"
    done
    sweep_displays
    exit 0
fi

# A display of the run's own, so that windows, focus and screenshots of runs
# side by side never mix; the caller's display only when asked to
# (SETUP_WINE_SHARED_DISPLAY, for a person watching).
start_display() {
    [ -n "${DISPLAY:-}" ] && [ -n "${SETUP_WINE_SHARED_DISPLAY:-}" ] && return 0
    local number_file=$run/.display
    SETUP_WINE_RUN=$run Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$number_file" 8<&- >/dev/null 2>&1 &
    xvfb_pid=$!
    local i
    for i in $(seq 1 200); do
        if [ -s "$number_file" ]; then
            export DISPLAY=:$(tr -d '[:space:]' <"$number_file")
            # No compose sequences where nobody types: reading the locale's
            # table of them costs every process that makes a window some
            # 0.3 s of CPU time under emulation.
            export XCOMPOSEFILE=/dev/null
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

# Puts the settings into the template's registry, through a file in its
# temporary folder.
import_settings() {
    printf '%s' "$settings" >"$settings_file" &&
        "$wine" reg import 'C:\windows\temp\template.reg' &&
        rm "$settings_file"
}

# Lists in $1/.shared what the copies share with the template: the files
# directly in its system folders that carry Wine's builtin mark (at offset 64
# of the file). Nothing writes them in place: a test that plants a file there
# deletes the old one first, and the registry and the profile files, which
# Wine would write in place where linked, lie outside them.
list_shared() {
    local folder
    : >"$1/.shared" || return 1
    for folder in system32 syswow64; do
        [ -d "$1/drive_c/windows/$folder" ] || continue
        (cd "$1" && find "./drive_c/windows/$folder" -maxdepth 1 -type f -print0 |
            xargs -0 grep -abo -m 1 'Wine builtin DLL' | sed -n 's/:64:Wine builtin DLL$//p') >>"$1/.shared" || return 1
    done
}

# Copies template folder $1 into folder $2: its shared files linked (copied
# where links cannot be made, as across file systems), the rest copied.
copy_template() {
    [ -s "$1/.shared" ] || { cp -a "$1/." "$2/."; return; }
    local to
    to=$(cd "$2" && pwd) || return 1
    tar -C "$1" --no-wildcards -X "$1/.shared" -cf - . | tar -C "$to" -xpf - || return 1
    (cd "$1" && { xargs -d '\n' -a .shared cp -l --parents -t "$to" 2>/dev/null ||
                  xargs -d '\n' -a .shared cp -a --remove-destination --parents -t "$to"; })
}

# Whether no shared file of template folder $1 changed after it was made.
shared_unchanged() {
    [ -s "$1/.shared" ] || return 0
    [ -z "$(cd "$1" && xargs -d '\n' -a .shared sh -c 'find "$@" -newer .ready -print -quit' sh)" ]
}

# Makes the template in a new folder and, once a program has started there,
# links it in place of the old one, which stays whole for the copies under
# way until a sweep finds it free.
make_template() {
    hold_new_folder 6 "$template.XXXXXX" || return 1
    unready=$held
    make_log=$(mktemp) || { discard_unready; return 1; }
    local -x WINEPREFIX=$unready
    # What runs there is 32-bit: a 64-bit prefix must start it through WOW64.
    local probe='C:\windows\system32\cmd.exe'
    [ "$arch" = win64 ] && probe='C:\windows\syswow64\cmd.exe'
    local link=$unready.link
    local settings_file=$unready/drive_c/windows/temp/template.reg
    if ! { step wineboot "$wine" wineboot -i &&
           step "the settings" import_settings &&
           # Debian's Wine does not look in the folder its own fonts come in:
           # without them the frames lack Marlett's glyphs (the close box is an "r").
           step "the copy of Wine's fonts" cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon \
               "$unready/drive_c/windows/Fonts/" &&
           step "a program start ($probe)" "$wine" "$probe" /c exit 0 &&
           step "the wait for wineserver" "$wineserver" -w &&
           step "the list of Wine's own files" list_shared "$unready" &&
           step "the ready mark" tee "$unready/.ready" <<<"$maker" &&
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

template_ready() {
    [ -L "$template" ] && [ "$(cat "$template/.ready" 2>/dev/null)" = "$maker" ] && shared_unchanged "$template"
}

# The template, made unless it is ready. The lock is taken only to make one:
# one maker per bitness at a time, the others wait and find it ready.
ensure_template() {
    template_ready && return 0
    { exec 9>"$template.lock" && flock 9; } || {
        echo "wine-run: cannot take the lock $template.lock" >&2
        return 1
    }
    template_ready || make_template
    local status=$?
    exec 9>&-
    return $status
}

# Copies the ready template into folder $1, holding it meanwhile so that no
# sweep removes it, even once a remake has linked another in its place. One
# swept away or remade by another Wine between the look and the hold is
# looked up again. Into the folder as it is, so that one swept away fails the
# copy instead of being made anew, unheld.
take_template() {
    local dir
    for _ in 1 2; do
        ensure_template || return 1
        dir=$(readlink -f "$template")
        [ -d "$dir" ] && { flock -s -n 7 && [ "$(cat "$dir/.ready" 2>/dev/null)" = "$maker" ] &&
                               copy_template "$dir" "$1"; } 7<"$dir" && return 0
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
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    [ -e "$run/.kept" ] || rm -rf "$run"
}

[ "$mode" = template ] || [ $# -ge 1 ] || { echo "usage: wine-run.sh --template [DIR] | --sweep | PROGRAM [ARGS...]" >&2; exit 2; }
# The run's folder: its prefix, unless it is given one, and what marks its
# display as live.
hold_new_folder 8 "$root/run.XXXXXX" || exit 1
run=$held
trap cleanup EXIT
trap 'exit 130' INT TERM
start_display || exit 1

if [ "$mode" = template ]; then
    if [ $# -ge 1 ]; then
        take_template "$1" || exit 1
    else
        ensure_template || exit 1
        readlink -f "$template"
    fi
    exit 0
fi

if [ -n "${SETUP_WINE_PREFIX:-}" ]; then
    export WINEPREFIX=$SETUP_WINE_PREFIX
else
    take_template "$run" || exit 1
    export WINEPREFIX=$run
    if [ -n "${SETUP_WINE_KEEP:-}" ]; then
        touch "$run/.kept"
        echo "wine-run: prefix kept at $run" >&2
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
