#!/usr/bin/env bash
#   spooler_environment.sh PROGRAM.exe
#
# Fails unless the program names the x86 spooler environment, "Windows NT
# x86", and no other: what ships registers an x86 driver, and the spooler
# installs a printer only on a driver of its own environment. Strings are
# read single-byte and UTF-16 (resources).
set -u
exe=$1
[ -f "$exe" ] || { echo "FAIL $exe: missing"; exit 1; }
text=$({ strings -a -n 6 "$exe"; strings -a -n 6 -e l "$exe"; })
status=0
grep -qF "Windows NT x86" <<<"$text" || { echo "FAIL $exe: does not name \"Windows NT x86\""; status=1; }
others=$(grep -oiE 'Windows (4\.0|x64|IA64|ARM(64)?|NT (R4000|MIPS|Alpha_AXP|PowerPC))\b' <<<"$text" | sort -u)
while read -r other; do
    [ -n "$other" ] && { echo "FAIL $exe: names another spooler environment: \"$other\""; status=1; }
done <<<"$others"
[ $status -eq 0 ] && echo "ok $exe: Windows NT x86 only"
exit $status
