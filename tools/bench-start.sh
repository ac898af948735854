#!/usr/bin/env bash
# Benchmark, not a test: the CPU time of every process of one program start
# (cmd /c exit 0, Wine's session start included) in a copy of the template
# as wine-run.sh makes it, and in a copy with the services it leaves to
# demand started at boot again and the bus drivers' root devices back, as
# before. Runs alternate; prints the
# medians and their ratio. Where Wine runs under CPU emulation, each process
# it starts costs about a second of CPU.
#
#   bench-start.sh [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
runs=${1:-5}
"$here/wine-run.sh" --template >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/made" "$work/before"
"$here/wine-run.sh" --template "$work/made"
"$here/wine-run.sh" --template "$work/before"
cat >"$work/before/drive_c/windows/temp/before.reg" <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Eventlog]
"Start"=dword:00000002

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\PlugPlay]
"Start"=dword:00000002

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\NDIS]
"Start"=dword:00000002

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\nsiproxy]
"Start"=dword:00000002

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum\ROOT\WINE\WINEBUS]
"ClassGUID"="{4D36E97D-E325-11CE-BFC1-08002BE10318}"
"Service"="winebus"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum\ROOT\WINE\WINEUSB]
"ClassGUID"="{4D36E97D-E325-11CE-BFC1-08002BE10318}"
"Service"="wineusb"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunServices]
"winemenubuilder"="C:\\windows\\system32\\winemenubuilder.exe -a -r"
EOF
SETUP_WINE_PREFIX=$work/before "$here/wine-run.sh" reg import 'C:\windows\temp\before.reg' >/dev/null 2>&1

# In a PID namespace of its own the shell inherits Wine's daemons and reaps
# them, so its children's times count every process of the start.
cpu_of_start() {
    SETUP_WINE_PREFIX=$1 unshare --pid --fork bash -c '
        "$0" "C:\\windows\\system32\\cmd.exe" /c exit 0 >/dev/null 2>&1 || exit 1
        sleep 1
        times' "$here/wine-run.sh" | tail -n 1 |
        awk '{ split($1, u, "m"); split($2, s, "m"); printf "%.2f\n", u[1] * 60 + u[2] + s[1] * 60 + s[2] }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for _ in $(seq 1 "$runs"); do
    cpu_of_start "$work/made" >>"$work/made.cpu"
    cpu_of_start "$work/before" >>"$work/before.cpu"
done
made=$(median <"$work/made.cpu")
before=$(median <"$work/before.cpu")
echo "CPU seconds of a program start, median of $runs:"
echo "  services started at boot (before): $before   ($(tr '\n' ' ' <"$work/before.cpu"))"
echo "  template as made:                  $made   ($(tr '\n' ' ' <"$work/made.cpu"))"
awk -v a="$made" -v b="$before" 'BEGIN { printf "  ratio made/before: %.2f\n", a / b }'
