#!/usr/bin/env bash
# make-fixtures.sh OUT_DIR: a driver-like text file and its form compressed
# by mscompress, the tool the medium is made with.
set -eu
out=$1
mkdir -p "$out"
seq -f "fixture line %06g: VP_K20x driver sample data, repeated to compress well." 1 3000 \
    | sed 's/$/\r/' > "$out/plain.bin"
rm -f "$out/plain.bin_"
mscompress "$out/plain.bin"
mv "$out/plain.bin_" "$out/packed.bin"
