#!/usr/bin/env bash
# A template whose .ready names another Wine is made again, once, by the
# rename swap: the link then leads to a new folder marked as the current
# template is, the old folder goes, and the next look finds it ready. The
# 64-bit template: less of its boot runs under emulation than the 32-bit one's.
set -u
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
export SETUP_WINE_ARCH=win64
current=$("$tools/wine-run.sh" --template) || exit 1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
old=$root/template-win64.olderw
mkdir "$old"
sed '2s/^Wine .*/Wine 7.0/' "$current/.ready" >"$old/.ready"
! cmp -s "$old/.ready" "$current/.ready" || { echo "FAIL no Wine version in $current/.ready to change"; exit 1; }
ln -s "$(basename "$old")" "$root/template-win64"
made=$(SETUP_WINE_ROOT=$root "$tools/wine-run.sh" --template) || exit 1
[ "$made" != "$old" ] || { echo "FAIL the template of Wine 7.0 was taken as ready"; exit 1; }
cmp -s "$made/.ready" "$current/.ready" || { echo "FAIL $made is not marked as $current is"; exit 1; }
[ ! -e "$old" ] || { echo "FAIL the template of Wine 7.0 was left beside the new one"; exit 1; }
again=$(SETUP_WINE_ROOT=$root "$tools/wine-run.sh" --template) || exit 1
[ "$again" = "$made" ] || { echo "FAIL made again: $again after $made"; exit 1; }
echo "ok: the template of Wine 7.0 was made again, once"
