#!/usr/bin/env bash
# Runs a check on the fault planted for it. The control passes only when the
# check fails by both signs: a non-zero exit, and each expected line printed
# whole (-e: a whole line matching that extended regular expression).
#
#   control.sh [LINE | -e REGEX]... -- CHECK [ARGS...]
set -u
lines=()
regexes=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    if [ "$1" = -e ]; then regexes+=("$2"); shift 2; else lines+=("$1"); shift; fi
done
[ $# -ge 2 ] || { echo "usage: control.sh [LINE | -e REGEX]... -- CHECK [ARGS...]" >&2; exit 2; }
shift
output=$("$@" 2>&1)
status=$?
printf '%s\n' "$output"
verdict=0
if [ $status -eq 0 ]; then
    echo "control: the check exited 0 on its planted fault"
    verdict=1
fi
for line in "${lines[@]}"; do
    grep -qxF -e "$line" <<<"$output" || { echo "control: the check did not print: $line"; verdict=1; }
done
for regex in "${regexes[@]}"; do
    grep -qxE -e "$regex" <<<"$output" || { echo "control: the check printed no line matching: $regex"; verdict=1; }
done
[ $verdict -eq 0 ] && echo "control: the check failed as planted (exit $status)"
exit $verdict
