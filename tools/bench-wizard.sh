#!/usr/bin/env bash
# Times unattended installations of the wizard on the sample medium: the
# wizard-walking program takes setup.exe through every page without screenshots, in
# a fresh prefix per run, and prints when the main window, the first visible
# window and the finish page appeared. A benchmark, not a test.
#
#   bench-wizard.sh [RUNS] [MEDIUM_DIR] [DRIVER_EXE]
set -u
here=$(cd "$(dirname "$0")" && pwd)
runs=${1:-3}
[ -n "${2:-}" ] || make -C "$here/.." medium >/dev/null || exit 1
medium=$(cd "${2:-$here/../build/medium}" && pwd)
# The wizard-walking program is tools/drive_wizard.cpp, built in the tests tree.
if [ -n "${3:-}" ]; then
    driver=$3
else
    make -C "$here/.." tests >/dev/null && cmake --build "$here/../build/tests" --target drive_wizard -j 2 >/dev/null || exit 1
    driver=$here/../build/tests/tests/e2e/drive_wizard.exe
fi
[ -f "$driver" ] || { echo "bench: $driver is missing" >&2; exit 1; }
make -C "$here/.." loader >/dev/null
for run in $(seq 1 "$runs"); do
    echo "run $run:"
    "$here/wine-run.sh" "$driver" --no-screenshots "$medium" | grep -E '^(Main window|Finish page|setup.exe)' |
        sed 's/^/  /'
done
