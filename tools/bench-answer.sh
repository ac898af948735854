#!/usr/bin/env bash
# Benchmark, not a test: how long the copy page leaves a window message
# unanswered while it copies a set of 8 driver files of 256 KB (two named as
# the universal driver's DLLs), probed from a second process, with nothing
# held and with those two files held open in the version folder, alternately
# in one run under Wine. Prints both longest moments and their ratio. The
# program is tools/bench/answer_bench.cpp, built in the tests tree.
#
#   bench-answer.sh [ROUNDS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build/tests
rounds=${1:-5}

[ -f "$build/CMakeCache.txt" ] || make -C "$here/.." tests >/dev/null
make -C "$here/.." loader >/dev/null
cmake --build "$build" --target answer_bench -j 2 >/dev/null
bench=$build/tests/copy/answer_bench.exe

medium=$(mktemp -d /tmp/bench-answer.XXXXXX)
trap 'rm -rf "$medium"' EXIT
python3 - "$medium" <<'PY'
import random, sys
rng = random.Random(27)
names = ["UNIDRV.DLL", "UNIDRVUI.DLL"] + ["DRV%02d.DLL" % i for i in range(1, 7)]
for name in names:
    with open("%s/%s" % (sys.argv[1], name), "wb") as out:
        out.write(bytes(rng.getrandbits(8) for _ in range(256 * 1024)))
PY
echo "medium: $(ls "$medium" | wc -l) files, $(du -sk "$medium" | cut -f1) KB"

"$here/wine-run.sh" "$bench" "Z:$(echo "$medium" | tr / '\\')" "$rounds"
