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
# (FG_NODRAW, FG_NOMESH, FG_NOAXES: the grid lines are drawn unless
# FG_NOMESH is given) less that of an empty scene, over the 201 * 201
# samples, in processor time (the plain loop measures its thread's
# processor time too).  The best of three runs counts;
# frames per second are by the wall clock (the renderer is Mesa's llvmpipe,
# which draws on threads of its own, so its processor time can exceed the
# wall clock's).
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

# "WALL CPU": milliseconds of the fastest of $runs runs of PROGRAM ending
# after FRAMES, by the wall clock and by processor time (user + system, all
# threads), each the best of its own.
best_ms() {
    local program=$1 frames=$2 run times wall=0 cpu=0 w c
    local TIMEFORMAT='%3R %3U %3S'
    for ((run = 0; run < runs; run++)); do
        times=$({ time "$tamrix" --load TmData32W.dll \
            --load "OpenTmGl32W.dll:offscreen,frames=$frames,size=640x480" \
            "$work/$program.tm" >/dev/null; } 2>&1)
        read -r w c < <(awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$times")
        if ((run == 0 || w < wall)); then wall=$w; fi
        if ((run == 0 || c < cpu)); then cpu=$c; fi
    done
    echo "$wall $cpu"
}

# "WALL CPU": milliseconds per frame between FEW and MANY frames.
frame_ms() {
    local program=$1 few=$2 many=$3
    awk -v a="$(best_ms "$program" "$few")" -v b="$(best_ms "$program" "$many")" \
        -v n=$((many - few)) 'BEGIN {
        split(a, x, " "); split(b, y, " ")
        printf "%.3f %.3f", (y[1] - x[1]) / n, (y[2] - x[2]) / n }'
}

printf '%-40s %14s %10s %14s\n' "case" "wall ms/frame" "frames/s" "cpu ms/frame"
row() {
    awk -v name="$1" -v t="$2" 'BEGIN {
        split(t, v, " ")
        fps = v[1] > 0.01 ? sprintf("%.1f", 1000 / v[1]) : "-"
        printf "%-40s %14.2f %10s %14.2f\n", name, v[1], fps, v[2] }'
}
s50=$(frame_ms surface50 2 202)
row "fgPlot3d surface 50 x 50, 640x480" "$s50"
s200=$(frame_ms surface200 2 32)
row "fgPlot3d surface 200 x 200, 640x480" "$s200"
sampled=$(frame_ms sample200 2 1002)
row "sampling only, 200 x 200" "$sampled"
empty=$(frame_ms empty 2 1002)
row "empty scene" "$empty"

echo
# Processor time: the plain loop counts its own thread's.
in_plot=$(awk -v s="$sampled" -v e="$empty" 'BEGIN {
    split(s, a, " "); split(e, b, " "); printf "%.1f", (a[2] - b[2]) * 1e6 / (201 * 201) }')
loop=$("$plain" "wave(x,y)=sin(x)*cos(y)" 200 200 -3 3 -3 3)
printf '%-40s %14s\n' "evaluation of wave(x, y)" "ns/eval"
printf '%-40s %14s\n' "inside fgPlot3d (200 x 200 grid)" "$in_plot"
printf '%-40s %14s\n' "plain RealCal loop (same grid)" "$loop"
awk -v a="$in_plot" -v b="$loop" 'BEGIN {
    if (b <= 0) b = 1; printf "%-40s %14.2f\n", "ratio plot / loop", a / b }'
