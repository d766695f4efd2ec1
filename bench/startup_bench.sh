#!/usr/bin/env bash
# startup_bench: milliseconds from starting build/tessivar to its first frame on screen, on a
# private Xvfb, over several runs. Usage: bench/startup_bench.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
caption="Tessivar - tessivar.example.org"
probe=build/tools/x11probe/x11probe

if [ "${1:-}" != --on-virtual-display ]; then
    # xvfb-run -a finds a free display number and waits until the server is ready. -noreset: Xvfb
    # would otherwise reset each time its last client leaves, between runs.
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash bench/startup_bench.sh --on-virtual-display "${1:-5}"
fi
runs=$2

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
