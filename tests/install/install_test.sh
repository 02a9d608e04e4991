#!/usr/bin/env bash
# Installs a build into a scratch prefix with `cmake --install` and checks
# the tree (check_tree.sh); then installs the runtime component alone, which
# has only the versioned kernel file, and runs tamrix from it.
#
# usage: install_test.sh BUILD_DIR LIBDIR
set -euo pipefail
build=$1 libdir=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/full" >/dev/null
mkdir "$scratch/embed"
bash "$here/check_tree.sh" "$scratch/full" "$libdir" "$scratch/embed"

# DESTDIR is honoured, and the runtime alone (no libTamrix32W.so link) runs.
DESTDIR=$scratch/root cmake --install "$build" --prefix /opt/tamrix --component runtime >/dev/null
runtime=$scratch/root/opt/tamrix
[[ ! -e $runtime/$libdir/libTamrix32W.so && ! -e $runtime/include ]] || {
    echo "FAIL: the runtime component carries development files" >&2
    exit 1
}
output=$(cd / && env -i "$runtime/bin/tamrix" -e 'i: 2+3' 2>&1) || true
[[ $output == "i: 5" ]] || {
    echo "FAIL: runtime-only tree: $output" >&2
    exit 1
}
echo "runtime-only tree: tamrix runs"
