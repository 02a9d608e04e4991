#!/usr/bin/env bash
# Plotting: frames per second of the fgPlot3d surface example
# (examples/graphics/sin_cos_surface.tm) drawn offscreen (EGL) at 640x480
# with 50 x 50 and 200 x 200 steps, and the time per formula evaluation
# inside a plot against a plain RealCal loop over the same formula and grid.
#
# A frame's time is the difference of two whole runs that end after
# different frame counts, divided by the difference of the counts, so the
# start-up (libraries, glyphs, context) drops out.  The time per evaluation
# inside a plot is the frame time of a 200 x 200 plot that only samples
# (FG_NODRAW, FG_NOMESH, FG_NOAXES) less that of an empty scene, over the 201 * 201
# samples.  FG_NOMESH too: the grid lines are drawn unless it is given,
# FG_NODRAW leaves out only the quads.  The best of three runs counts (wall clock; the renderer is
# Mesa's software rasteriser on this machine).
#
#   bench/plot.sh [BIN_DIRECTORY]   (default build-bench/bin: tamrix,
#                                    tamrix_plot_eval_bench)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin=${1:-build-bench/bin}
tamrix=$bin/tamrix
plain=$bin/tamrix_plot_eval_bench
runs=3

for program in "$tamrix" "$plain"; do
    if [[ ! -x $program ]]; then
        echo "plot.sh: no $program (build tamrix and tamrix_plot_eval_bench)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

example=$here/../examples/graphics/sin_cos_surface.tm
formula='wave(x, y) = sin(x) * cos(y);'
grep -qF "$formula" "$example" || { echo "plot.sh: $example has changed" >&2; exit 1; }

# The example with its step count replaced.
surface_scene() {
    sed "s/FG_PLOTPOINTS, 30, 30/FG_PLOTPOINTS, $1, $1/" "$example" >"$work/surface$1.tm"
    grep -q "FG_PLOTPOINTS, $1, $1" "$work/surface$1.tm"
}
surface_scene 50
surface_scene 200
cat >"$work/sample200.tm" <<PROGRAM
$formula
scene() = glClear(), fgPlot3d(HFor("wave", 2), -3, 3, -3, 3,
                              FG_PLOTPOINTS, 200, 200, FG_NODRAW, FG_NOMESH, FG_NOAXES);
gleWorkDrawScene(HFor("scene", 2));
PROGRAM
cat >"$work/empty.tm" <<'PROGRAM'
scene() = glClear();
gleWorkDrawScene(HFor("scene", 2));
PROGRAM

# Milliseconds of the fastest of $runs runs of PROGRAM ending after FRAMES.
best_ms() {
    local program=$1 frames=$2 best=0 run start end ms
    for ((run = 0; run < runs; run++)); do
        start=$(date +%s%N)
        "$tamrix" --load TmData32W.dll \
            --load "OpenTmGl32W.dll:offscreen,frames=$frames,size=640x480" \
            "$work/$program.tm" >/dev/null
        end=$(date +%s%N)
        ms=$(((end - start) / 1000000))
        if ((run == 0 || ms < best)); then best=$ms; fi
    done
    echo "$best"
}

# Milliseconds per frame between FEW and MANY frames.
frame_ms() {
    local program=$1 few=$2 many=$3 a b
    a=$(best_ms "$program" "$few")
    b=$(best_ms "$program" "$many")
    awk -v a="$a" -v b="$b" -v n=$((many - few)) 'BEGIN {
        d = (b - a) / n; if (d < 0.001) d = 0.001; printf "%.3f", d }'
}

printf '%-44s %12s %10s\n' "case" "ms/frame" "frames/s"
row() {
    awk -v name="$1" -v ms="$2" 'BEGIN {
        if (ms < 0.01) printf "%-44s %12s %10s\n", name, "< 0.01", "-"
        else printf "%-44s %12.2f %10.1f\n", name, ms, 1000 / ms }'
}
s50=$(frame_ms surface50 2 202)
row "fgPlot3d surface 50 x 50, 640x480" "$s50"
s200=$(frame_ms surface200 2 32)
row "fgPlot3d surface 200 x 200, 640x480" "$s200"
sampled=$(frame_ms sample200 2 202)
row "sampling only 200 x 200 (nothing drawn)" "$sampled"
empty=$(frame_ms empty 2 1002)
row "empty scene" "$empty"

echo
in_plot=$(awk -v s="$sampled" -v e="$empty" 'BEGIN { printf "%.1f", (s - e) * 1e6 / (201 * 201) }')
loop=$("$plain" "wave(x,y)=sin(x)*cos(y)" 200 200 -3 3 -3 3)
printf '%-44s %12s\n' "evaluation of wave(x, y)" "ns/eval"
printf '%-44s %12s\n' "inside fgPlot3d (200 x 200 grid)" "$in_plot"
printf '%-44s %12s\n' "plain RealCal loop (same grid)" "$loop"
awk -v a="$in_plot" -v b="$loop" 'BEGIN { if (b <= 0) b = 1; printf "%-44s %12.2f\n", "ratio plot / loop", a / b }'
