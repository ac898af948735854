#!/usr/bin/env bash
# Runs the disk-full copier test in a prefix of its own whose driver
# directory is a 256 KiB tmpfs, so the copy runs out of room for real.
# Exits 77 (skipped) where mounting is not permitted.   disk-full-test.sh TEST.exe
set -u
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
root=${SETUP_WINE_ROOT:-$tools/../build/wine}

. "$tools/hold-folder.sh"

mkdir -p "$root"
# Held while it lives: the sweep takes a diskfull folder no one holds.
hold_new_folder 8 "$root/diskfull.XXXXXX" || exit 1
prefix=$held
drivers=$prefix/drive_c/windows/system32/spool/drivers/w32x86
trap 'mountpoint -q "$drivers" && umount "$drivers"; rm -rf "$prefix"' EXIT
"$tools/wine-run.sh" --template "$prefix" || exit 1
mkdir -p "$drivers"

if ! reason=$(mount -t tmpfs -o size=256k tmpfs "$drivers" 2>&1); then
    echo "SKIPPED: cannot mount a tmpfs over the driver directory: $reason"
    exit 77
fi
mkdir "$drivers/3"
SETUP_WINE_PREFIX=$prefix "$tools/wine-run.sh" "$1"
