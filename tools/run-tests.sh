#!/usr/bin/env bash
# Runs every test of a test build tree: ctest with the Win32 programs under
# Wine, each in a prefix and on an Xvfb display of its own (tools/wine-run.sh).
# First it removes the prefixes that killed runs left behind and makes the
# template prefixes the chosen tests need.
#
#   run-tests.sh [--loader COMMAND] [--build COMMAND] TEST_BUILD_DIR [CTEST_ARGS...]
#
# With --build, COMMAND (make's build of the tests) runs while the templates
# are made, as neither needs the other; with --loader, COMMAND (make's
# loader, which may fetch qemu) runs first on the templates' side. TEST_JOBS
# sets how many entries run at once.
set -u
build=""
loader=""
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$2; shift 2 ;;
        --loader) loader=$2; shift 2 ;;
        *) break ;;
    esac
done
tests=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
unset SETUP_WINE_SHARED_DISPLAY

# The 32-bit template, and the 64-bit one where a chosen entry runs under
# WOW64 (both where the test tree is not built yet), side by side before the
# tests start: an entry's timeout then never pays for a boot, and no entry
# waits on another's.
templates() {
    local archs arch makers=() made=0 maker
    if [ -f "$tests/CTestTestfile.cmake" ]; then
        archs=$(cd "$tests" && ctest --show-only=json-v1 "$@" | grep -o 'SETUP_WINE_ARCH=win[0-9]*' | cut -d= -f2)
    else
        archs=win64
    fi
    { [ -z "$loader" ] || sh -c "$loader"; } && "$here/wine-run.sh" --sweep || return 1
    # shellcheck disable=SC2086
    for arch in $(printf '%s\n' win32 $archs | sort -u); do
        SETUP_WINE_ARCH=$arch "$here/wine-run.sh" --template >/dev/null &
        makers+=($!)
    done
    for maker in "${makers[@]}"; do
        wait "$maker" || made=1
    done
    return $made
}

templates "$@" &
templates_pid=$!
built=0
[ -z "$build" ] || sh -c "$build" || built=1
# A failed build leaves the templates nothing to wait for: their side and
# what it runs are stopped, and the makers waited for while they clean up.
if [ $built -ne 0 ]; then
    side=$(pgrep -P "$templates_pid")
    # shellcheck disable=SC2086
    kill "$templates_pid" $side 2>/dev/null
    for pid in $side; do
        while kill -0 "$pid" 2>/dev/null; do sleep 0.2; done
    done
fi
made=0
wait "$templates_pid" || made=1
[ $built -eq 0 ] && [ $made -eq 0 ] || exit 1

# Three entries a core: an entry alone spends about half its time waiting on
# the wizard's timers, natively and under emulation alike, and the cores are
# kept busy only when others compute meanwhile. The slowest entry still
# needs well under its timeout. Each holds a prefix of some 600 MB, hence the
# cap.
jobs=$((3 * $(nproc)))
[ "$jobs" -le 12 ] || jobs=12
cd "$tests" && ctest --output-on-failure -j "${TEST_JOBS:-$jobs}" "$@"
