#!/usr/bin/env bash
# Runs the wizard on the sample medium under Wine, in a fresh prefix.
#
# It first runs medcheck on the medium. With a display, a person clicks
# through the wizard. Without one, the wizard runs
# under Xvfb and the project's wizard-walking program takes it through a whole
# installation, leaving the choices as they come: it saves a screenshot of
# every window (status windows, welcome, model, port, copy, finish) as PNG in
# build/demo/ and prints what was installed.
#
#   demo.sh MEDIUM_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
medium=$(cd "$1" && pwd)
# The wizard-walking program is tools/drive_wizard.cpp, built in the tests tree.
driver=$here/../build/tests/tests/e2e/drive_wizard.exe
medcheck=$here/../build/app/medcheck.exe

# What a vendor runs before shipping: the medium's check.
if [ -f "$medcheck" ]; then
    echo "demo: medcheck on the sample medium"
    "$here/wine-run.sh" "$medcheck" "Z:${medium//\//\\}" | tr -d '\r'
fi

if [ -n "${DISPLAY:-}" ]; then
    cd "$medium"
    SETUP_WINE_SHARED_DISPLAY=1 exec "$here/wine-run.sh" setup.exe
fi

[ -f "$driver" ] || { echo "demo: $driver is missing; 'make tests' builds it" >&2; exit 1; }
out=$here/../build/demo
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
echo "demo: no display; driving the wizard through an installation under Xvfb"
SETUP_TEST_ARTIFACTS=$out "$here/wine-run.sh" "$driver" "$medium"
rc=$?

echo "demo: screenshots in $out"
exit $rc
