#!/usr/bin/env bash
# Makes a delay-load import library from MinGW's ordinary import library, so a
# program links against every function of a DLL but loads the DLL only at its
# first call, through the program's own hook.
#
#   make-delay-lib.sh NM DLLTOOL IMPORT_LIB DLL_NAME OUT_LIB
#
# Its members are named delay_<DLL>_<member>.o (LZ32.DLL as LZ32_DLL), so a
# link map tells which DLL each function linked from it is bound from.
set -eu
nm=$1 dlltool=$2 import_lib=$3 dll=$4 out=$5
def=${out%.a}.def
{
    echo "LIBRARY $dll"
    echo "EXPORTS"
    # 32-bit symbols carry one more leading underscore than the names.
    "$nm" "$import_lib" | sed -n 's/.* I __imp__\(.*\)$/\1/p' | sort -u
} > "$def"
"$dlltool" --input-def "$def" --dllname "$dll" --kill-at --output-delaylib "$out" \
    --temp-prefix "delay_${dll//[^A-Za-z0-9]/_}_"
