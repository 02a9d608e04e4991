#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test twice: a normal build
# in build/ and a sanitizer build (AddressSanitizer with LeakSanitizer, and
# UndefinedBehaviorSanitizer) in build-asan/; between the two it builds the
# Debian packages and checks them installed into a clean root
# (scripts/packages.sh, build-pkg/, one test); then runs every fuzz target for
# a bounded time (scripts/fuzz.sh, build-fuzz/), each counting as one test.
# Ends with one line "N passed, N failed" over all of it and exits non-zero
# on any failure; a build that fails counts as one failed test.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# ccache keys on paths relative to the checkout, so any clone reuses the cache.
export CCACHE_BASEDIR="$PWD"

if ! bash scripts/setup.sh; then
    echo "setup failed"
    echo "0 passed, 1 failed"
    exit 1
fi

passed=0
failed=0

configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" && ninja -C "$dir"
}

# The soak test (label "soak") runs with this many cycles here; a full run
# is `ctest --test-dir build -L soak` with TAMRIX_SOAK_CYCLES unset.
export TAMRIX_SOAK_CYCLES=${TAMRIX_SOAK_CYCLES:-20000}

# Runs ctest in a build directory (further arguments go to ctest; the log is
# $dir/$log_name) and adds its counts to the totals.
run_ctest() {
    local dir=$1 log=$1/$2
    shift 2
    ctest --test-dir "$dir" --output-on-failure --timeout 600 -j "$(nproc)" "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    # ctest closes with "97% tests passed, 3 tests failed out of 120".
    local summary
    summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [[ -z $summary ]]; then
        echo "test: no test ran in $dir"
        failed=$((failed + 1))
        return
    fi
    local failures total
    failures=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$summary")
    passed=$((passed + total - failures))
    failed=$((failed + failures))
    # A ctest that fails for another reason (a crashed discovery step) still fails the run.
    if ((status != 0 && failures == 0)); then
        echo "test: ctest failed in $dir (exit $status)"
        failed=$((failed + 1))
    fi
}

build_and_test() {
    local dir=$1
    shift
    echo "=== $dir: configure and build"
    if ! configure_and_build "$dir" "$@"; then
        echo "test: the build in $dir failed"
        failed=$((failed + 1))
        return
    fi
    echo "=== $dir: tests"
    run_ctest "$dir" ctest-output.log -LE soak
    echo "=== $dir: soak test, $TAMRIX_SOAK_CYCLES cycles"
    run_ctest "$dir" ctest-soak-output.log -L soak
}

# LeakSanitizer stops the process with ptrace to scan it; where ptrace is
# refused (a restricted container, or a run under a debugger or strace) it
# dies instead of reporting.  A program that leaks on purpose tells which it
# is here.
leak_checks_work() {
    local dir output
    dir=$(mktemp -d)
    printf '#include <stdlib.h>\nint main(void) { void *volatile p = malloc(64); p = 0; return 0; }\n' \
        >"$dir/leak.c"
    if ! gcc -fsanitize=address -g "$dir/leak.c" -o "$dir/leak"; then
        rm -rf "$dir"
        return 1
    fi
    output=$(ASAN_OPTIONS=detect_leaks=1 "$dir/leak" 2>&1)
    rm -rf "$dir"
    if grep -q 'detected memory leaks' <<<"$output"; then
        return 0
    fi
    echo "$output" | head -n 5
    return 1
}

build_and_test build

# Numbers must read and print the same under a comma-decimal locale: the
# whole suite (but the soak test) runs once more under one.
if [[ -x build/bin/tamrix ]]; then
    echo "=== build: every test under LC_ALL=de_DE.UTF-8"
    LC_ALL=de_DE.UTF-8 run_ctest build ctest-locale-output.log -LE soak
fi

# The Debian packages, built in build-pkg/ and installed into a clean root;
# one test.
echo "=== packages: build, install into a clean root, check"
if bash scripts/packages.sh; then
    passed=$((passed + 1))
else
    echo "test: the package build or its clean-root check failed"
    failed=$((failed + 1))
fi

if leak_checks_work; then
    leaks=1
else
    leaks=0
    echo "warning: LeakSanitizer cannot run on this machine (above); the sanitizer build runs without leak checks"
fi
export ASAN_OPTIONS="detect_leaks=$leaks${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
build_and_test build-asan -DTAMRIX_SANITIZE=ON -DTAMRIX_BUILD_BENCH=OFF

# The fuzz script ends with its own "N passed, N failed" line.
run_fuzz_targets() {
    local log
    log=$(mktemp)
    bash scripts/fuzz.sh 2>&1 | tee "$log"
    local summary
    summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)
    rm -f "$log"
    if [[ -z $summary ]]; then
        echo "test: the fuzz run ended without a summary"
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + ${summary%% passed*}))
    failed=$((failed + $(sed -E 's/.*, ([0-9]+) failed/\1/' <<<"$summary")))
}
run_fuzz_targets

echo "$passed passed, $failed failed"
((failed == 0))
