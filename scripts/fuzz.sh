#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 (libFuzzer, AddressSanitizer with
# LeakSanitizer, UndefinedBehaviorSanitizer) and runs each one for a bounded
# time from its committed corpus in fuzz/corpus/.  Any crash, hang, leak or
# broken invariant fails the target; its input is kept in
# <build>/findings/.  Prints executions per second and in total for every
# target and ends with one line "N passed, N failed" (a failed build counts
# as one failure).
#
# Environment:
#   FUZZ_SECONDS      time per target (default 30)
#   FUZZ_TARGETS      targets to run (default: all)
#   FUZZ_BUILD_DIR    build directory (default: build-fuzz in the tree)
#   FUZZ_RSS_LIMIT_MB memory limit per target (default 2048)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# ccache keys on paths relative to the checkout, so any clone reuses the cache.
export CCACHE_BASEDIR="$PWD"

seconds=${FUZZ_SECONDS:-30}
build=${FUZZ_BUILD_DIR:-build-fuzz}
rss_limit=${FUZZ_RSS_LIMIT_MB:-2048}
all_targets="fuzz_real_com fuzz_int_com fuzz_complex_com fuzz_compile_eval fuzz_native_tier fuzz_com_module
             fuzz_data_module fuzz_registry fuzz_workspace"
targets=${FUZZ_TARGETS:-$all_targets}

passed=0
failed=0

finish() {
    echo "$passed passed, $failed failed"
    ((failed == 0))
    exit
}

echo "=== $build: configure and build the fuzz targets"
# shellcheck disable=SC2086 # the target list is meant to split
if ! CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DTAMRIX_FUZZ=ON \
        -DTAMRIX_BUILD_TESTS=OFF -DTAMRIX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo ||
    ! ninja -C "$build" $targets; then
    echo "fuzz: the build in $build failed"
    failed=1
    finish
fi

# Leak checks follow ASAN_OPTIONS (scripts/test.sh turns them off where
# LeakSanitizer cannot run); everything else stops at the first report.
detect_leaks=1
[[ ${ASAN_OPTIONS:-} == *detect_leaks=0* ]] && detect_leaks=0
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

# Reads libFuzzer's final statistics from a log.
stat() {
    sed -nE "s/^stat::$1: *([0-9]+).*/\1/p" "$2" | tail -n 1
}

run_target() {
    local target=$1
    local seeds=fuzz/corpus/$target work=$build/corpus/$target findings=$build/findings
    local log=$build/$target.log
    mkdir -p "$work" "$findings"
    local options=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb="$rss_limit"
                   -detect_leaks="$detect_leaks" -print_final_stats=1
                   -artifact_prefix="$findings/$target-")
    # The registry target reads operations, not text; a target with a
    # dictionary of its own (fuzz/<target>.dict) uses that one.
    if [[ -f fuzz/$target.dict ]]; then
        options+=(-dict="fuzz/$target.dict")
    elif [[ $target != fuzz_registry ]]; then
        options+=(-dict=fuzz/formula.dict)
    fi
    echo "=== $target: ${seconds}s"
    # New inputs go to the first directory, so the committed corpus stays as it is.
    "$build/bin/$target" "${options[@]}" "$work" "$seeds" >"$log" 2>&1
    local status=$?
    local runs speed
    runs=$(stat number_of_executed_units "$log")
    speed=$(stat average_exec_per_sec "$log")
    if ((status == 0)); then
        passed=$((passed + 1))
        echo "fuzz: $target passed: ${runs:-?} executions, ${speed:-?} exec/s"
    else
        failed=$((failed + 1))
        echo "fuzz: $target FAILED (exit $status) after ${runs:-?} executions, ${speed:-?} exec/s"
        grep -E -A 30 'ERROR:|invariant broken|runtime error|Test unit written' "$log" | head -n 60
    fi
}

for target in $targets; do
    run_target "$target"
done
finish
