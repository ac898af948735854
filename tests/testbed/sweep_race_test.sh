#!/usr/bin/env bash
# A sweep that comes between a run's mktemp and its lock leaves the run
# whole: its program runs in a prefix the run holds, so a second sweep while
# the program waits stops nothing and removes nothing.
set -u
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
work=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$work"' EXIT
mkdir "$work/bin"
# mktemp as the test bed calls it, with a sweep right after the first run
# folder is made.
cat >"$work/bin/mktemp" <<END
#!/bin/sh
made=\$(/usr/bin/mktemp "\$@") || exit 1
case \$made in
    */run.*) [ -e "$work/swept" ] || { touch "$work/swept"; "$tools/wine-run.sh" --sweep; } ;;
esac
echo "\$made"
END
chmod +x "$work/bin/mktemp"
mkfifo "$work/input"
ready='Z:'$(tr / '\\' <<<"$work/ready")
PATH=$work/bin:$PATH "$tools/wine-run.sh" cmd /c "echo x>$ready & set /p line= & exit 7" <"$work/input" &
run=$!
exec 3>"$work/input"
for _ in $(seq 600); do
    [ -e "$work/ready" ] && break
    kill -0 $run 2>/dev/null || break
    sleep 0.1
done
[ -e "$work/swept" ] || { echo "FAIL no sweep came between the run's mktemp and its lock"; exit 1; }
[ -e "$work/ready" ] || { echo "FAIL the program did not start"; exit 1; }
"$tools/wine-run.sh" --sweep
# The program reads its line, unless the sweep ended it.
trap '' PIPE
echo 2>/dev/null >&3
wait $run
status=$?
[ $status -eq 7 ] || { echo "FAIL the run ended with $status, not its program's 7: a sweep took its prefix"; exit 1; }
echo "ok: the run kept its prefix through both sweeps"
