#!/usr/bin/env bash
# Builds the libFuzzer targets (Clang 14, with ASan and UBSan) into build-fuzz/ and runs each one:
# first over its seed inputs in fuzz/corpus/<target>/, then on new inputs for the given time.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]    (20 s each, every target by default)
#
# Inputs that reach new code collect in build-fuzz/corpus/<target>/ and seed the next run. An input
# that breaks something is saved as build-fuzz/artifacts/<target>-crash-<sha1>; replay it with
# build-fuzz/fuzz/<target>_fuzz <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
[ $# -gt 0 ] && shift
bash scripts/deps.sh

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DTESSIVAR_BUILD_FUZZERS=ON \
    -DTESSIVAR_BUILD_TESTS=OFF -DTESSIVAR_BUILD_TOOLS=OFF -DTESSIVAR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target fuzzers -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/*_fuzz.cpp; do
        name=$(basename "$source")
        targets+=("${name%_fuzz.cpp}")
    done
fi

mkdir -p build-fuzz/artifacts build-fuzz/logs
export UBSAN_OPTIONS=print_stacktrace=1
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
passed=0
failed=0
for target in "${targets[@]}"; do
    binary=build-fuzz/fuzz/${target}_fuzz
    if [ ! -x "$binary" ]; then
        echo "fuzz: no target named $target" >&2
        failed=$((failed + 1))
        continue
    fi
    corpus=build-fuzz/corpus/$target
    log=build-fuzz/logs/$target.log
    mkdir -p "$corpus"
    started=$SECONDS
    status=0
    # New inputs go to the first folder; the seeds in the tree are only read.
    "$binary" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/artifacts/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    took=$((SECONDS - started))
    if [ $status -eq 0 ]; then
        echo "fuzz: $target: ${runs:-?} inputs in $took s, passed"
        passed=$((passed + 1))
        continue
    fi
    echo "fuzz: $target FAILED after $took s (log: $log):" >&2
    grep -E "runtime error|ERROR: |invariant broken|^artifact_prefix|Test unit written" "$log" | head -20 >&2 || tail -40 "$log" >&2
    failed=$((failed + 1))
done

echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]
