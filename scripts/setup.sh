#!/usr/bin/env bash
# Installs what building, testing and benchmarking Tamrix needs on Debian 12.
#
# Idempotent and cheap to repeat: apt is touched only when a package is
# missing, so the test and sample scripts call this first on every run.
set -euo pipefail

# Build and test tools (clang and its runtime for the fuzz targets), then
# the benchmark peers (muParser, Lua), the x86-64 assembler under the kernel's
# native-code tier (asmjit), NLopt, which the optimisation library
# minimises with, then what the graphics library builds on and its tests need
# (Mesa GL/GLU/EGL, Xlib, FreeType, fontconfig, libpng, a CJK font, a virtual
# X server, Pillow as an independent image reader), then Qt 6 Widgets for the
# desktop editor.
PACKAGES=(
    build-essential
    g++
    cmake
    ninja-build
    pkg-config
    ccache
    libgtest-dev
    clang-14
    libclang-rt-14-dev
    libbenchmark-dev
    libmuparser-dev
    libasmjit-dev
    lua5.4
    libnlopt-dev
    libgl-dev
    libglu1-mesa-dev
    libegl-dev
    libegl1-mesa-dev
    libgl1-mesa-dri
    libx11-dev
    libfreetype-dev
    libfontconfig-dev
    libpng-dev
    fonts-wqy-zenhei
    xvfb
    xauth
    python3-pil
    qt6-base-dev
    qt6-base-dev-tools
    fonts-wqy-microhei
)

is_installed() {
    dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed$'
}

missing=()
for package in "${PACKAGES[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "setup: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "setup: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
fi

"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
