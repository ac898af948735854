#!/usr/bin/env bash
# Benchmark, not a test: the time from Next on the model page to the port
# page's filled list, with a new prefix's ports and with 256 more, several
# times each in one run of setup.exe. Prints the medians and their
# difference. The program is tools/bench/port_bench.cpp, built in the tests
# tree.
#
#   bench-ports.sh [RUNS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
runs=${1:-5}

build=$root/build
# The wizard on the medium must be the one of these sources.
make -C "$root" medium tests loader >/dev/null
cmake --build "$build/tests" --target port_bench -j 2 >/dev/null

"$here/wine-run.sh" "$build/tests/tests/e2e/port_bench.exe" "$runs" "$build/medium"
