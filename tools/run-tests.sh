#!/usr/bin/env bash
# Runs every test of a test build tree: one Xvfb display for the whole run
# (unless there is a display already), ctest with the Win32 programs under
# Wine, each in a prefix of its own.
#
#   run-tests.sh TEST_BUILD_DIR [CTEST_ARGS...]
set -u
tests=$1
shift
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 140); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
        Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        trap 'kill $xvfb 2>/dev/null' EXIT
        export DISPLAY=:$n
        for i in $(seq 1 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
        break
    done
fi

# Make the template prefix before the tests start side by side.
"$here/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1

cd "$tests" && ctest --output-on-failure -j "${JOBS:-2}" "$@"
