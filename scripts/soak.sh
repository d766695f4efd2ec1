#!/usr/bin/env bash
# Runs the soak session for longer than CI does: bash scripts/soak.sh [minutes] (default 30).
# Drags, resizes and key presses go through a private Xvfb; frames must keep coming and, after the first
# minute, resident memory must not keep rising (segment medians each above the last, 16 MiB in all).
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-30}
bash scripts/build.sh >/dev/null
TESSIVAR_SOAK_WARMUP_SECONDS=60 TESSIVAR_SOAK_SECONDS=$((minutes * 60)) \
    build/tests/e2e/soak_tests --gtest_brief=1 --gtest_filter=Soak.FramesKeepComingAndMemoryStaysFlat
