#!/usr/bin/env bash
# Sets up the machine, builds the kernel and the benchmark as a Release build
# in build-bench/, and runs it (under a minute).  Arguments go to the
# benchmark ("--check" only checks that the evaluators agree).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMRIX_BUILD_TESTS=OFF
ninja -C build-bench tamrix_bench
build-bench/bin/tamrix_bench "$@"
