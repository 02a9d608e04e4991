#!/usr/bin/env bash
# Sets up the machine, builds the kernel, the benchmark and the command-line
# host as a Release build in build-bench/, and runs the benchmark (under a
# minute), then whole programs through tamrix against Lua 5.4
# (bench/programs.sh), the optimisation library against NLopt calling C++
# (tamrix_opt_bench), and plotting offscreen (bench/plot.sh).  Arguments go
# to the benchmark ("--check" only checks that the evaluators agree, and
# skips the rest).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# ccache keys on paths relative to the checkout, so any clone reuses the cache.
export CCACHE_BASEDIR="$PWD"

bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMRIX_BUILD_TESTS=OFF
ninja -C build-bench tamrix_bench tamrix tamrix_opt_bench TmData32W OpenTmGl32W \
    tamrix_plot_eval_bench
build-bench/bin/tamrix_bench "$@"
if [[ ${1:-} != --check ]]; then
    echo
    bash bench/programs.sh build-bench/bin/tamrix
    echo
    build-bench/bin/tamrix_opt_bench
    echo
    bash bench/plot.sh build-bench/bin
fi
