#!/usr/bin/env bash
# Benchmark, not a test: the copy page over a medium of 40 driver files of
# about 1 MB each (half of them compressed with mscompress) against a bare
# loop that does the same durable work over the same files (LZOpenFileA and
# CopyLZFile into a temporary file, a byte copy of it into the version
# folder, both flushed, then every file renamed into place), both in one run
# under Wine. Prints the times and their ratio, and the loop with and
# without its flushes. The program is tools/bench/copy_bench.cpp, built in
# the tests tree.
#
#   bench-copy.sh [ROUNDS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build/tests
rounds=${1:-5}

[ -f "$build/CMakeCache.txt" ] || make -C "$here/.." tests >/dev/null
make -C "$here/.." loader >/dev/null
cmake --build "$build" --target copy_bench -j 2 >/dev/null
bench=$build/tests/copy/copy_bench.exe

medium=$(mktemp -d /tmp/bench-medium.XXXXXX)
trap 'rm -rf "$medium"' EXIT
# Each file: half seeded random bytes, half text, so that the compressed
# ones shrink about as much as driver binaries do.
python3 - "$medium" <<'PY'
import random, sys
rng = random.Random(20)
for i in range(1, 41):
    text = "".join("bench file %02d line %07d: VP_K20x printer driver sample data.\r\n" % (i, n)
                   for n in range(8000))
    with open("%s/DRV%02d.DLL" % (sys.argv[1], i), "wb") as out:
        out.write(bytes(rng.getrandbits(8) for _ in range(512 * 1024)) + text.encode())
PY
for i in $(seq -w 2 2 40); do
    mscompress "$medium/DRV$i.DLL"
    mv "$medium/DRV$i.DLL_" "$medium/DRV$i.DLL"
done
echo "medium: $(ls "$medium" | wc -l) files, $(du -sm "$medium" | cut -f1) MB stored, 40 MB expanded"

"$here/wine-run.sh" "$bench" "Z:$(echo "$medium" | tr / '\\')" "$rounds"
