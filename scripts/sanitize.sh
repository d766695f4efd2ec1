#!/usr/bin/env bash
# Builds the tree under AddressSanitizer with UndefinedBehaviorSanitizer (build-asan/) and under
# ThreadSanitizer (build-tsan/), then runs the unit tests and a few end-to-end sessions of the real
# program under each. Findings inside the system's own libraries (Mesa, fontconfig) are suppressed by
# library name through tests/sanitizers/; any other report fails the run.
#
# Usage: scripts/sanitize.sh [address|thread]...    (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh

kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(address thread)

# The end-to-end sessions: dragging both rays, the blinking arm (the pulse thread against the render
# loop), the I key, and Ctrl+X, which ends the program normally so LeakSanitizer sees all of it.
e2e_sessions='^RunningGauge\.(DragsSetArm|ArmIsDashedAndBlinks|KeyIHides|CtrlXExits)'
# Every other test that runs a program on an X server (or Wine) runs in the normal build only.
e2e_tests='^(RunningGauge|GaugeTest|HostileDisplay|Soak|KeyboardLayoutTest|UnderOpenbox|UnderXfwm4|[A-Za-z]*\/?UnderXcompmgr|UnderKwin|UnderMutter|TranslucencyTest|Install|[A-Za-z]*\/?WineGauge|[A-Za-z]*\/?WinePackage|Win32Conformance|[A-Za-z]*\/?WindowsExecutable)\.'

supp=$root/tests/sanitizers

run_kind() {
    local kind=$1 dir=$2
    local started=$SECONDS
    echo "== sanitize: $kind in $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVAR_SANITIZE="$kind" \
        -DTESSIVAR_BUILD_BENCHMARKS=OFF >/dev/null
    cmake --build "$dir" -j "$(nproc)"
    local built=$SECONDS

    # Reports go to files as well as failing the process: a report from the program that an
    # end-to-end test started would otherwise end up only in that test's capture of its output.
    local logs=$root/$dir/sanitizer-logs
    rm -rf "$logs"
    mkdir -p "$logs"
    local common="log_path=$logs/report:print_suppressions=0"
    if [ "$kind" = address ]; then
        export ASAN_OPTIONS="$common:detect_leaks=1:halt_on_error=1:strict_init_order=1:detect_stack_use_after_return=1"
        export LSAN_OPTIONS="$common:suppressions=$supp/lsan.supp"
        export UBSAN_OPTIONS="$common:print_stacktrace=1:halt_on_error=1"
    else
        export TSAN_OPTIONS="$common:suppressions=$supp/tsan.supp:second_deadlock_stack=1:halt_on_error=0"
    fi

    local status=0
    ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -E "$e2e_tests" || status=1
    ctest --test-dir "$dir" --output-on-failure -R "$e2e_sessions" || status=1
    unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS

    local reports
    reports=$(find "$logs" -type f -size +0 | sort)
    if [ -n "$reports" ]; then
        echo "sanitize: $kind: reports outside the suppressed libraries:" >&2
        for report in $reports; do
            echo "---- $report" >&2
            cat "$report" >&2
        done
        status=1
    fi
    echo "sanitize: $kind: build $((built - started)) s, tests $((SECONDS - built)) s, status $status"
    return $status
}

failed=0
for kind in "${kinds[@]}"; do
    case $kind in
    address) run_kind address build-asan || failed=1 ;;
    thread) run_kind thread build-tsan || failed=1 ;;
    *)
        echo "sanitize: unknown kind '$kind' (address or thread)" >&2
        exit 2
        ;;
    esac
done
exit $failed
