#!/usr/bin/env bash
#   include_direction.sh SOURCE_DIR
#
# Fails on every include that runs from a room of the source tree to a higher
# one, and on every include of the shell from outside it: a room must build,
# test and read without those above it. Rooms from the ground up.
set -u
declare -A level=([platform]=1 [resources]=1 [setupinfo]=2 [spooler]=3 [copy]=4 [ui]=4
                  [shell]=5 [medcheck]=6)
cd "$1" || exit 1
against=0 into_shell=0
while IFS=: read -r file line target; do
    room=${file%%/*} to=${target%%/*}
    [ "$to" != "$target" ] && [ -n "${level[$to]:-}" ] || continue
    if [ -z "${level[$room]:-}" ]; then
        echo "FAIL $file:$line: $room is not a known room"; against=$((against + 1))
    elif [ "${level[$to]}" -gt "${level[$room]}" ]; then
        echo "FAIL $file:$line: $room (${level[$room]}) includes $target (${level[$to]})"
        against=$((against + 1))
    elif [ "$to" = shell ] && [ "$room" != shell ]; then
        echo "FAIL $file:$line: includes $target from outside the shell"; into_shell=$((into_shell + 1))
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' --include='*.h' --include='*.cpp' . |
         sed -E 's|^\./||; s|^([^:]*):([0-9]+):.*"([^"]*)".*|\1:\2:\3|' | sort -t: -k1,1 -k2,2n)
echo "$against against the order, $into_shell of the shell from outside"
[ $((against + into_shell)) -eq 0 ]
