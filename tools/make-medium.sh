#!/usr/bin/env bash
# Assembles an installation medium: setup.exe, the setup-information file and
# the driver files it names, as a vendor would put them on a disc.
#
#   make-medium.sh SETUP_EXE OUT_DIR
#
# The universal-driver files belong to the system's maker and are not ours to
# ship, so every driver file here is a generated placeholder of plausible
# size. Some are LZ-compressed with mscompress: most keep their own names, and
# UNIDRV.HLP is stored under the name LZ32 falls back to (UNIDRV.HL_).
set -eu
setup_exe=$1
out=$2
src=$(cd "$(dirname "$0")/../medium" && pwd)

rm -rf "$out"
mkdir -p "$out"
cp "$setup_exe" "$out/setup.exe"
cp "$src/VP_K20x.INF" "$out/VP_K20x.INF"

# placeholder NAME LINES: a text file that names what it stands for.
placeholder() {
    {
        printf 'Placeholder for %s, generated for the sample medium.\r\n' "$1"
        seq -f "$1 line %06g: VP_K20x printer driver sample data." 1 "$2" | sed 's/$/\r/'
    } > "$out/$1"
}

# compress NAME [STORED_NAME]: replace the file by its LZ-compressed form.
compress() {
    mscompress "$out/$1"
    rm "$out/$1"
    mv "$out/$1_" "$out/${2:-$1}"
}

placeholder UNIDRV.DLL 9000
placeholder UNIDRVUI.DLL 4000
placeholder UNIDRV.HLP 2500
placeholder VP_K20x.GPD 1200
placeholder VP_K20x.DLL 600
placeholder VP_K20xRS.DLL 1500
for model in 201 202 205 208; do
    placeholder VP_K$model.INI 40
done

compress UNIDRV.DLL
compress UNIDRVUI.DLL
compress VP_K20x.GPD
compress UNIDRV.HLP UNIDRV.HL_
