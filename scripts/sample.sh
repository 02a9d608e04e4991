#!/usr/bin/env bash
# Sets up the machine, builds the kernel, the module library, the extension
# libraries and the command-line host `tamrix` in build/, and runs the example
# programs in examples/programs/ (or the program files given), each with the
# libraries its `// args:` line loads.  Then the small kernel sample runs its
# formula file, as before.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# ccache keys on paths relative to the checkout, so any clone reuses the cache.
export CCACHE_BASEDIR="$PWD"

bash scripts/setup.sh
cmake -S . -B build -G Ninja
ninja -C build tamrix tamrix_sample TmData32W TmString32W TmSystem32W TmOpt32W

if (($# > 0)); then
    exec build/bin/tamrix "$@"
fi
for program in examples/programs/*.tm; do
    # The test runner's `// args:` line names the libraries a program needs.
    read -r -a args < <(sed -n 's|^// args: *||p' "$program" | head -n 1) || true
    echo "== tamrix ${args[*]} $program"
    build/bin/tamrix "${args[@]}" "$program"
done
echo "== tamrix_sample examples/formulas.txt"
build/bin/tamrix_sample examples/formulas.txt
