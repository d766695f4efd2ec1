#!/usr/bin/env bash
# startup_bench: milliseconds from starting build/tessivar to its first frame on screen, on a
# private Xvfb, over several runs. Usage: bench/startup_bench.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
caption="Tessivar - tessivar.example.org"
probe=build/tools/x11probe/x11probe

display=120
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
# -noreset: Xvfb would otherwise reset each time its last client leaves, between runs.
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

for run in $(seq "$runs"); do
    start=$(date +%s%N)
    build/tessivar &
    gauge=$!
    "$probe" wait-drawn "$caption" 10
    end=$(date +%s%N)
    echo "run $run: first frame after $(((end - start) / 1000000)) ms"
    "$probe" close "$caption"
    wait "$gauge"
done
