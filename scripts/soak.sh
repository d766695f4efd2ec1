#!/usr/bin/env bash
# Runs the soak session for longer than CI does: bash scripts/soak.sh [minutes] (default 30).
# Drags, resizes and key presses go through a private Xvfb; frames must keep coming and resident
# memory must not grow by more than 1 MB after the first minute.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-30}
bash scripts/build.sh >/dev/null
TESSIVAR_SOAK_WARMUP_SECONDS=60 TESSIVAR_SOAK_SECONDS=$((minutes * 60)) \
    build/tests/e2e/soak_tests --gtest_brief=1
