#!/usr/bin/env bash
# Builds Tessivar and opens the gauge on $DISPLAY. Without a display it runs the gauge on a
# virtual X server for a few seconds, sets an angle with the mouse and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec build/tessivar
fi

caption="Tessivar - tessivar.example.org"
probe=build/tools/x11probe/x11probe
shot="$PWD/build/tessivar-screenshot.png"

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 800x700x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
gauge=
cleanup() {
    [ -n "$gauge" ] && kill "$gauge" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

echo "No display: running the gauge on the virtual X server $DISPLAY."
build/tessivar &
gauge=$!
"$probe" wait-window "$caption" 10 >/dev/null

# The client area sits at (50, 50) with the vertex at its centre: drag the arm up and to the
# left, the base slightly above the right.
xdotool mousemove 400 150 mousedown 1 mousemove 320 298 mouseup 1
xdotool mousemove 400 350 mousedown 3 mousemove 480 330 mouseup 3
sleep 2
"$probe" screenshot "$shot" "$caption"
"$probe" close "$caption"
wait "$gauge" && status=0 || status=$?
gauge=
echo "Screenshot saved to $shot (the gauge exited with status $status)."
