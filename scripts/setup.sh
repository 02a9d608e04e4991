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
# desktop editor, then GNU readline for tamrix's interactive prompt and the
# locales the tests run under (a comma-decimal one among them), then what the
# Debian packages are built with (dpkg-shlibdeps from dpkg-dev finds their
# dependencies; CPack recognises programs and libraries with file).
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
    libreadline-dev
    locales
    dpkg-dev
    file
)

is_installed() {
    dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed$'
}

# The comma-decimal locale that numbers must not notice (scripts/test.sh runs
# the program tests under it).
TEST_LOCALE=de_DE.UTF-8

has_test_locale() {
    locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'
}

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "setup: '$*' needs root; run this script as root" >&2
        return 1
    fi
}

generate_test_locale() {
    has_test_locale && return 0
    echo "setup: generating the locale $TEST_LOCALE"
    as_root sed -i -E "s/^# *($TEST_LOCALE UTF-8)/\1/" /etc/locale.gen &&
        { grep -qx "$TEST_LOCALE UTF-8" /etc/locale.gen ||
              echo "$TEST_LOCALE UTF-8" | as_root tee -a /etc/locale.gen >/dev/null; } &&
        as_root locale-gen
}

missing=()
for package in "${PACKAGES[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    generate_test_locale
    exit
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
generate_test_locale
