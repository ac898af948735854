#!/usr/bin/env bash
# Runs every test of a test build tree: ctest with the Win32 programs under
# Wine, each in a prefix and on an Xvfb display of its own (tools/wine-run.sh).
# First it removes the prefixes that killed runs left behind and makes the
# template prefixes the chosen tests need.
#
#   run-tests.sh TEST_BUILD_DIR [CTEST_ARGS...]
set -u
tests=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
unset SETUP_WINE_SHARED_DISPLAY

"$here/wine-run.sh" --sweep

# The 32-bit template, and the 64-bit one where a chosen entry runs under
# WOW64, side by side before the tests start: an entry's timeout then never
# pays for a boot, and no entry waits on another's.
archs=$(cd "$tests" && ctest --show-only=json-v1 "$@" | grep -o 'SETUP_WINE_ARCH=win[0-9]*' | cut -d= -f2)
makers=()
# shellcheck disable=SC2086
for arch in $(printf '%s\n' win32 $archs | sort -u); do
    SETUP_WINE_ARCH=$arch "$here/wine-run.sh" --template >/dev/null &
    makers+=($!)
done
made=0
for maker in "${makers[@]}"; do
    wait "$maker" || made=1
done
[ $made -eq 0 ] || exit 1

cd "$tests" && ctest --output-on-failure -j "${JOBS:-2}" "$@"
