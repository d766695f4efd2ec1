#!/usr/bin/env bash
# Configures and builds everything into build/: the program, its tests, tools and benchmarks (also where
# run.sh made build/ with the program and x11probe alone).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVAR_BUILD_TESTS=ON -DTESSIVAR_BUILD_TOOLS=ON \
    -DTESSIVAR_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build -j "$(nproc)"
