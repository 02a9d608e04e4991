#!/usr/bin/env bash
# Plotting from the editor: starts the real OpenTm32W under Xvfb with a
# workspace that loads the graphics library, computes the sin(x)/x example
# (its self-test hook), and checks that the graphics window opened by the
# run drew the plot (its last frame, saved by the library's start argument,
# against the example's reference picture, one per channel), that the
# editor showed the run's result and no message, and a clean exit.
# Usage: plot_smoke.sh PROGRAM EXAMPLES_DIRECTORY WORK_DIRECTORY
set -euo pipefail
program=$1
examples=$2
work=$3
rm -rf "$work"
mkdir -p "$work/config/OpenTM" "$work/data" "$work/out"

cp "$examples/sinc_plot.tm" "$work/sinc_plot.tm"
printf '#LOAD{"TmData32W.dll" "OpenTmGl32W.dll:window,frames=2,size=320x240,save=%s"}\n' \
    "$work/out/plot.png" >"$work/ws.otm"
printf '[General]\ndefault_workspace=%s\n' "$work/ws.otm" >"$work/config/OpenTM/OpenTM.conf"

export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data OPENTM_SELF_TEST=$work/out
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
# The toolkit's and the GL drivers' own leaks, as the two test directories
# list them.
here=$(dirname "${BASH_SOURCE[0]}")
cat "$here/lsan.supp" "$here/../gl/lsan.supp" >"$work/lsan.supp"
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$work/lsan.supp:print_suppressions=0}
status=0
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$work/sinc_plot.tm" \
    2>"$work/stderr.txt" || status=$?
fail() {
    echo "plot_smoke: $1" >&2
    cat "$work/stderr.txt" >&2
    exit 1
}
((status == 0)) || fail "OpenTm32W exited with $status"
grep -q "Sanitizer" "$work/stderr.txt" && fail "sanitizer report"
[[ -s $work/out/boxes.txt ]] && fail "unexpected message boxes: $(cat "$work/out/boxes.txt")"
[[ -s $work/out/plot.png ]] || fail "the graphics window saved no picture"
# The program's last statement starts the scene and gives 0.
grep -q "^0$" "$work/out/output.txt" || fail "no result in the output window: $(cat "$work/out/output.txt")"
/usr/bin/python3 - "$work/out/plot.png" "$examples/sinc_plot.png" <<'PYTHON' || fail "the plot differs from the example's picture"
import sys
from PIL import Image, ImageChops
got, want = (Image.open(p).convert("RGB") for p in sys.argv[1:3])
if got.size != want.size:
    sys.exit(f"size {got.size}, expected {want.size}")
worst = max(high for _, high in ImageChops.difference(got, want).getextrema())
if worst > 1:
    sys.exit(f"a channel differs by {worst}")
PYTHON
echo "plot_smoke: the plot and the editor's picture in $work/out"
