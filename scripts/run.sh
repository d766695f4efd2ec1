#!/usr/bin/env bash
# Builds Tessivar and opens the gauge on $DISPLAY. Without a display it runs the gauge on a
# virtual X server for a few seconds, sets an angle with the mouse and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

caption="Tessivar - tessivar.example.org"
probe=build/tools/x11probe/x11probe
shot="$PWD/build/tessivar-screenshot.png"

# The part that runs inside xvfb-run (below), with DISPLAY naming the virtual server.
show_on_virtual_display() {
    echo "No display: running the gauge on the virtual X server $DISPLAY."
    build/tessivar &
    gauge=$!
    trap '[ -n "$gauge" ] && kill "$gauge" 2>/dev/null || true' EXIT
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
}

if [ "${1:-}" = --on-virtual-display ]; then
    show_on_virtual_display
    exit 0
fi

# Only what building and running needs: no test tools, no GoogleTest, no clang. A first build/ gets the
# program and x11probe (for the screenshot) alone; one made by build.sh or test.sh keeps its options.
bash scripts/deps.sh --run
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVAR_BUILD_TESTS=OFF -DTESSIVAR_BUILD_TOOLS=ON \
        -DTESSIVAR_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build build -j "$(nproc)" --target tessivar x11probe >/dev/null

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec build/tessivar
fi

# xvfb-run -a finds a free display number and waits until the server is ready. -noreset: the
# probe and xdotool connect and leave in turn, and Xvfb resets whenever its last client leaves.
exec xvfb-run -a -s "-screen 0 800x700x24 -noreset" bash scripts/run.sh --on-virtual-display
