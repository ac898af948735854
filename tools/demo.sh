#!/usr/bin/env bash
# Runs the wizard on the sample medium under Wine, in a fresh prefix.
# With a display, a person clicks through it. Without one, it runs under Xvfb
# for a few seconds and leaves a screenshot in build/demo/.
#
#   demo.sh MEDIUM_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
medium=$(cd "$1" && pwd)
out=$here/../build/demo
mkdir -p "$out"
cd "$medium"
if [ -n "${DISPLAY:-}" ]; then
    exec "$here/wine-run.sh" setup.exe
fi
echo "demo: no display; running the wizard under Xvfb"
"$here/wine-run.sh" setup.exe &
runner=$!
sleep 8
DISPLAY=$(ls /tmp/.X11-unix | sed -n 's/^X\([0-9]*\)$/:\1/p' | tail -1) \
    /usr/bin/import -window root "$out/screen.png" 2>/dev/null && echo "demo: screenshot in $out/screen.png"
kill $runner 2>/dev/null
wait $runner 2>/dev/null
exit 0
