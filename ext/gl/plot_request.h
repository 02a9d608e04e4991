// What a plot call asks for, read from its arguments: the formulas, the
// parameter ranges, the options after them, and the sampling and mapping
// shared by the curve and surface plots.
#pragma once

#include <cmath>
#include <vector>

#include "plot_mesh.h"
#include "script_args.h"

namespace gllib {

enum PlotOption {
    kOptY = 1, kOptZ, kOptXY, kOptXYZ, kOptAxes, kOptPlotPoints, kOptCut, kOptNoAxes,
    kOptNoDraw, kOptNoMesh
};

// Which plot is asked for: decides the formula and parameter counts and
// the options taken.
struct PlotKind {
    const char16_t *name;
    int formulas;   // 1, 2 or 3
    bool surface;   // two parameters per formula, two step counts, 3-D box
    int valueOption;  // FG_Y, FG_Z, FG_XY or FG_XYZ
};

// Step counts are raised to these minimums and held below the maximums so
// that one frame cannot stall on a huge grid.
inline constexpr int kCurveSteps = 1000, kCurveMinSteps = 100, kCurveMaxSteps = 1000000;
inline constexpr int kSurfaceSteps = 50, kSurfaceMinSteps = 5, kSurfaceMaxSteps = 1000;

struct PlotRequest {
    void *formula[3] = {};
    Range param[2];      // the ranges of t (x) and of u, v (x, y)
    Range value[3];      // the data ranges of the plotted coordinates
    bool valueGiven = false;
    Range axis[3] = {{-5, 5}, {-5, 5}, {-5, 5}};
    int steps[2] = {0, 0};
    bool cut = false, noAxes = false, noDraw = false, noMesh = false;
};

// Reads the arguments; on a fault reports the run error (codes 1 to 4)
// and returns false.
bool read_plot_request(const PlotKind &kind, int m, double *args, TmCallContext *ctx,
                       PlotRequest &out);

// Evaluates a formula; a run error already pending makes every sample
// unusable (NaN) so a faulty formula draws nothing more.
double evaluate(void *formula, double a, double b = 0);

// Grows r to cover v; non-finite samples are left out.
inline void cover(Range &r, bool &any, double v) {
    if (!std::isfinite(v)) return;
    if (!any) r = {v, v}, any = true;
    else if (v < r.lo) r.lo = v;
    else if (v > r.hi) r.hi = v;
}

// A value clamped into its data range and mapped into its axis; a zero
// span maps to the middle of the axis.  `bound` is -1 or +1 when the value
// was clamped there, 0 otherwise.
struct Mapped {
    double at = 0, unit = 0;  // position in the axis box, position in 0..1
    int bound = 0;
};
Mapped map_value(double v, Range data, Range axis);

}  // namespace gllib
