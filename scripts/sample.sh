#!/usr/bin/env bash
# Sets up the machine, builds the kernel and the sample program in build/,
# and runs the sample on examples/formulas.txt (or on the file given).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja
ninja -C build tamrix_sample
build/bin/tamrix_sample "${1:-examples/formulas.txt}"
