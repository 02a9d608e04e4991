#!/usr/bin/env bash
# Pictures of the desktop editor for the README, taken from the real
# OpenTm32W under Xvfb (its OPENTM_SELF_TEST hook computes once, then saves
# the window), so they show what the program really does:
#   docs/images/opentm-result.png  a workspace, coloured code and a result
#   docs/images/opentm-error.png   a compile error with its range selected
# Usage: scripts/screenshots.sh [BUILD_DIRECTORY]   (default: build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh
build=${1:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
ninja -C "$build" OpenTm32W
program=$build/bin/OpenTm32W

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/OpenTM" "$work/data" docs/images
cat >"$work/ws.otm" <<OTM
#PATH{$work}
#MODULE{"Tools*tools.tm"}
#KEY{"twice" "sum" "sin" "cos"}
OTM
printf '[General]\ndefault_workspace=%s\n' "$work/ws.otm" >"$work/config/OpenTM/OpenTM.conf"
printf '// 工具模块\r\n~twice(x)=2*x;\r\n' >"$work/tools.tm"
cat >"$work/result.tm" <<'TM'
/* 圆的面积与周长 */
#USE# Tools;
area(r) = 3.141592653589793*r*r;      // 面积
round(r) = twice(3.141592653589793*r); // 周长
area(2); round(2);
sin(1)^2 + cos(1)^2
TM
cat >"$work/error.tm" <<'TM'
// 编译错误会选中出错的字符
f(x) = x*x + 1;
f(2) +* 3
TM

shoot() {
    local file=$1 picture=$2
    rm -rf "$work/out" && mkdir -p "$work/out"
    XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data OPENTM_SELF_TEST=$work/out \
        timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$work/$file" 2>/dev/null
    cp "$work/out/window.png" "$picture"
    echo "screenshots: $picture"
}
shoot result.tm docs/images/opentm-result.png
shoot error.tm docs/images/opentm-error.png
