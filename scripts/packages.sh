#!/usr/bin/env bash
# Builds the Debian packages (tamrix, tamrix-editor, tamrix-dev) with CPack in
# build-pkg/ (prefix /usr, no tests or benchmarks, no look into the build's
# own lib/), then installs them into a clean root and checks the installed
# tree there.
#
# The clean root is a scratch directory the packages are unpacked into with
# `dpkg-deb -x`, the way dpkg lays them out, without touching this machine's
# package database; the packages' dependencies are checked against the
# machine's own packages with `apt-get install --simulate`.  The packages end
# up in build-pkg/packages/.
#
# usage: scripts/packages.sh [--keep-root DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
export CCACHE_BASEDIR="$PWD"
source_dir=$PWD

root=
if [[ ${1:-} == --keep-root ]]; then
    root=$2
fi

bash scripts/setup.sh
cmake -S . -B build-pkg -G Ninja -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAMRIX_BUILD_TESTS=OFF -DTAMRIX_BUILD_BENCH=OFF -DTAMRIX_FIND_BUILD_LIBRARIES=OFF >/dev/null
ninja -C build-pkg
rm -rf build-pkg/packages
(cd build-pkg && cpack -G DEB -B "$PWD/packages" >/dev/null)
mapfile -t debs < <(ls build-pkg/packages/*.deb)
echo "packages:"
for deb in "${debs[@]}"; do
    echo "  $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done

# Every dependency is one this machine can satisfy (it built them, so their
# libraries are here); for the packages with programs and libraries
# dpkg-shlibdeps must have named at least libc.
for deb in "${debs[@]}"; do
    [[ $deb == *-dev_* ]] && continue
    dpkg-deb -f "$deb" Depends | grep -q libc6 || {
        echo "FAIL: $(basename "$deb") does not depend on libc6" >&2
        exit 1
    }
done
apt-get install --simulate -q "${debs[@]/#/./}" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=${root:-$scratch/root}
mkdir -p "$root" "$scratch/embed"
for deb in "${debs[@]}"; do
    dpkg-deb -x "$deb" "$root"
done
libdir=$(sed -n "s/^CMAKE_INSTALL_LIBDIR:PATH=//p" build-pkg/CMakeCache.txt)
bash "$source_dir/tests/install/check_tree.sh" "$root/usr" "$libdir" "$scratch/embed"
echo "packages installed into a clean root and checked"
