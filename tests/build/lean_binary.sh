#!/usr/bin/env bash
#   lean_binary.sh MAX_BYTES PROGRAM.exe...
#
# Fails when a shipped program carries debug sections or a symbol table, or
# is larger than MAX_BYTES.
set -u
objdump=i686-w64-mingw32-objdump
max=$1
shift
status=0
for exe in "$@"; do
    if [ ! -f "$exe" ]; then echo "FAIL $exe: missing"; status=1; continue; fi
    size=$(stat -c %s "$exe")
    [ "$size" -lt "$max" ] || { echo "FAIL $exe: $size bytes, not under $max"; status=1; }
    debug=$($objdump -h "$exe" | awk '$2 ~ /^\.debug/ {print $2}' | tr '\n' ' ')
    [ -z "$debug" ] || { echo "FAIL $exe: debug sections $debug"; status=1; }
    $objdump -t "$exe" | grep -q '^\[ *[0-9]*\]' && { echo "FAIL $exe: carries a symbol table"; status=1; }
done
[ $status -eq 0 ] && echo "lean: $*"
exit $status
