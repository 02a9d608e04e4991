#include "plot_request.h"

#include "ext/protocol/real_slots.h"
#include "library.h"

namespace gllib {

namespace {

// The number of values an option takes, or -1 when the plot does not
// take it.
int option_values(const PlotKind &kind, int code) {
    const int dims = kind.surface ? 3 : 2;
    switch (code) {
    case kOptY: case kOptZ: case kOptXY: case kOptXYZ:
        if (code != kind.valueOption) return -1;
        return code == kOptXY ? 4 : code == kOptXYZ ? 6 : 2;
    case kOptAxes: return 2 * dims;
    case kOptPlotPoints: return kind.surface ? 2 : 1;
    case kOptCut: case kOptNoAxes: case kOptNoDraw: return 0;
    case kOptNoMesh: return kind.surface ? 0 : -1;
    default: return -1;
    }
}

int clamp_steps(int64_t n, int lo, int hi) { return int(n < lo ? lo : n > hi ? hi : n); }

void set_values(const PlotKind &kind, const double *v, PlotRequest &out) {
    out.valueGiven = true;
    if (kind.formulas == 1) {
        // fgPlot gives y, fgPlot3d gives z; the other axes are the parameters.
        out.value[kind.surface ? 2 : 1] = {v[0], v[1]};
        return;
    }
    for (int i = 0; i < kind.formulas; ++i) out.value[i] = {v[2 * i], v[2 * i + 1]};
}

}  // namespace

double evaluate(void *formula, double a, double b) {
    Library *lib = library();
    if (!lib || lib->kernel.TestRunErr() != 0) return NAN;
    double slots[2] = {a, b};
    return lib->kernel.RealCal(formula, slots);
}

Mapped map_value(double v, Range data, Range axis) {
    Mapped out;
    if (v <= data.lo) v = data.lo, out.bound = -1;
    if (v >= data.hi) v = data.hi, out.bound = data.hi > data.lo ? 1 : 0;
    const double span = data.hi - data.lo;
    out.unit = span > 0 ? (v - data.lo) / span : 0.5;
    if (!std::isfinite(out.unit)) out.unit = 0.5;  // a span too wide to divide
    out.at = axis.lo + out.unit * (axis.hi - axis.lo);
    return out;
}

bool read_plot_request(const PlotKind &kind, int m, double *args, TmCallContext *ctx,
                       PlotRequest &out) {
    Library *lib = library();
    if (!lib) return false;
    const int n = argument_count(m);
    const int params = kind.surface ? 2 : 1;
    const int fixed = kind.formulas + 2 * params;
    if (n < fixed) return report_error(kind.name, 1, ctx), false;

    for (int i = 0; i < kind.formulas; ++i) {
        const uintptr_t handle = extproto::real_slot_handle(args[i]);
        int lastParam = -1;
        if (!handle || !lib->kernel.GetFor(nullptr, 2, reinterpret_cast<void *>(handle), nullptr,
                                           &out.formula[i], nullptr, &lastParam))
            return report_error(kind.name, 3, ctx), false;
        if (lastParam + 1 != params) return report_error(kind.name, 4, ctx), false;
    }
    for (int p = 0; p < params; ++p) {
        out.param[p] = {args[kind.formulas + 2 * p], args[kind.formulas + 2 * p + 1]};
        out.param[p].order();
    }
    out.steps[0] = out.steps[1] = kind.surface ? kSurfaceSteps : kCurveSteps;

    for (int i = fixed; i < n;) {
        const int code = int_arg(args[i]);
        const int count = option_values(kind, code);
        if (count < 0) return report_error(kind.name, 2, ctx), false;
        if (i + 1 + count > n) return report_error(kind.name, 1, ctx), false;
        const double *v = args + i + 1;
        switch (code) {
        case kOptAxes:
            for (int a = 0; a < count / 2; ++a) out.axis[a] = {v[2 * a], v[2 * a + 1]};
            break;
        case kOptPlotPoints:
            for (int s = 0; s < count; ++s) out.steps[s] = int(integer_arg(v[s]) > INT32_MAX ? INT32_MAX : integer_arg(v[s]));
            break;
        case kOptCut: out.cut = true; break;
        case kOptNoAxes: out.noAxes = true; break;
        case kOptNoDraw: out.noDraw = true; break;
        case kOptNoMesh: out.noMesh = true; break;
        default: set_values(kind, v, out); break;
        }
        i += 1 + count;
    }
    for (auto &a : out.axis) a.order();
    for (auto &s : out.steps)
        s = kind.surface ? clamp_steps(s, kSurfaceMinSteps, kSurfaceMaxSteps)
                         : clamp_steps(s, kCurveMinSteps, kCurveMaxSteps);
    return true;
}

}  // namespace gllib
