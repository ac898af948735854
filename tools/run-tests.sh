#!/usr/bin/env bash
# Runs every test of a test build tree: ctest with the Win32 programs under
# Wine, each in a prefix and on an Xvfb display of its own (tools/wine-run.sh).
#
#   run-tests.sh TEST_BUILD_DIR [CTEST_ARGS...]
set -u
tests=$1
shift
here=$(cd "$(dirname "$0")" && pwd)

# Make the template prefix before the tests start side by side.
unset SETUP_WINE_SHARED_DISPLAY
"$here/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1

cd "$tests" && ctest --output-on-failure -j "${JOBS:-2}" "$@"
