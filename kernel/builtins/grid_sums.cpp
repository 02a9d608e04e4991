// "sum" and "pro"("f", min0, max0, step0, min1, max1, step1, ...): the sum
// or product of a real formula over the grid of points
// x_i = min_i + j_i * step_i, j_i = 0 .. trunc((max_i - min_i) / step_i),
// parameter 0 varying fastest.
//
// Two things keep a script from hanging the kernel here.  A grid whose point
// count is not finite, or whose total over all parameters does not fit a
// signed 64-bit count, is refused with code 6 before anything runs.  And the
// walk stops at the first run error that becomes pending (raised by f, or an
// interrupt from another thread) with result 0, which is the result a pending
// error gives anyway, instead of finishing a grid of perhaps 10^12 points.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

#include "builtin_support.h"
#include "builtins.h"
#include "formula_argument.h"
#include "formula_points.h"

namespace tmx {

namespace {

enum GridError : int {
    kBadArgumentCount = 3,
    kNoMemory = 5,
    kBadRange = 6,
};

struct Axis {
    double min;
    double step;
    int64_t last; // highest j
    int64_t j;
    double at;    // the coordinate of point j

    // The first point is min even for an infinite step (0 * inf is NaN).
    double coordinate(int64_t k) const { return k == 0 ? min : min + double(k) * step; }
};

// 2^63, exact as a double.  The highest j stays below it, so j + 1, the
// axis's point count, fits a signed 64-bit count.
constexpr double kCountLimit = 9223372036854775808.0;

// Reads one (min, max, step) triple; false when it spans no finite grid.
bool read_axis(const double *triple, Axis *axis) {
    const double min = triple[0], max = triple[1], step = triple[2];
    // Written so that a NaN anywhere fails.
    if (!(max >= min) || !(step > 0)) return false;
    const double last = std::trunc((max - min) / step);
    if (!(last < kCountLimit)) return false;
    *axis = {min, step, int64_t(last), 0, min};
    return true;
}

// Advances the odometer over every axis but the innermost, which the walk
// runs through itself; false after the last point.
bool next_line(Axis *axes, int32_t count) {
    for (int32_t i = 1; i < count; ++i) {
        Axis &x = axes[i];
        if (x.j < x.last) {
            x.at = x.coordinate(++x.j);
            return true;
        }
        x.j = 0;
        x.at = x.min;
    }
    return false;
}

// Evaluates f at every point of the grid, the innermost axis walked here
// and the others by next_line.  Params: f's parameter count when it is one
// of the common few (the copy of the outer coordinates then unrolls), else 0.
template <int32_t Params>
bool walk(const NamedRealFormula &f, Axis *axes, double *single, bool product, double *total) {
    const int32_t params = Params ? Params : f.params;
    const double min = axes[0].min, step = axes[0].step;
    const int64_t last = axes[0].last;
    int64_t j = 0;
    bool more = true; // points remain
    const auto outer = [&](double *point) {
        for (int32_t i = 1; i < params; ++i) point[i] = axes[i].at;
    };
    // One point (points evaluated one at a time; `room` is then the
    // constant 1 and the compiler keeps only this path).
    const auto one = [&](double *point) {
        if (!more) return 0;
        point[0] = j == 0 ? min : min + double(j) * step;
        outer(point);
        if (++j > last) {
            more = next_line(axes, params);
            j = 0;
        }
        return 1;
    };
    auto fill = [&](double *point, int room) {
        if (room == 1) return one(point);
        int n = 0;
        while (more && n < room) {
            // The first point of a line is min even for an infinite step
            // (0 * inf is NaN).
            if (j == 0) {
                point[0] = min;
                outer(point);
                point += params;
                ++n;
                ++j;
            }
            // The rest of the line, as far as there is room.
            const int64_t stop = std::min(last + 1, j + (room - n));
            n += int(stop - j);
            for (; j < stop; ++j, point += params) {
                point[0] = min + double(j) * step;
                outer(point);
            }
            if (j > last) {
                more = next_line(axes, params);
                j = 0;
            }
        }
        return n;
    };
    // The rest of a sum's grid a line at a time through the line form, the
    // outer coordinates written once per line into an array of the walk's
    // own (the form assigns only the first).  An infinite step leaves one
    // point a line, which the form takes from `first`.
    const auto lines = [&](double *t) {
        if (product) return false;
        const JitLine line = jit_line(f.record);
        if (!line || !std::isfinite(step)) return false;
        std::unique_ptr<double[]> args(new (std::nothrow) double[size_t(params)]);
        if (!args) return false;
        while (more) {
            outer(args.get());
            *t = line(args.get(), j, last + 1, axes[0].coordinate(j), min, step, 0.0, *t);
            if (run_error_pending()) return true;
            more = next_line(axes, params);
            j = 0;
        }
        return true;
    };
    return evaluate_points(f, single, product, fill, total, lines);
}

double over_grid(int m, const double *args, const TmCallContext *ctx, const char16_t *name,
                 bool product) {
    if (run_error_pending()) return 0.0;
    if (m < 0) {
        report_builtin_error(2, name, kBadArgumentCount, ctx);
        return 0.0;
    }
    NamedRealFormula f;
    if (int code = find_real_formula_with_parameters(string_index_of(args[0]), ctx, &f)) {
        report_builtin_error(2, name, code, ctx);
        return 0.0;
    }
    if (int64_t(m) != 3 * int64_t(f.params)) {
        report_builtin_error(2, name, kBadArgumentCount, ctx);
        return 0.0;
    }
    std::unique_ptr<Axis[]> axes(new (std::nothrow) Axis[size_t(f.params)]);
    std::unique_ptr<double[]> own(f.running ? new (std::nothrow) double[size_t(f.params)]
                                            : nullptr);
    if (!axes || (f.running && !own)) {
        report_builtin_error(2, name, kNoMemory, ctx);
        return 0.0;
    }
    int64_t points = 1;
    for (int32_t i = 0; i < f.params; ++i) {
        if (!read_axis(args + 1 + 3 * i, &axes[i]) ||
            __builtin_mul_overflow(points, axes[i].last + 1, &points)) {
            report_builtin_error(2, name, kBadRange, ctx);
            return 0.0;
        }
    }

    double *const single = f.argument_array(own.get());
    double total = 0.0;
    bool clean = false;
    switch (f.params) {
    case 1: clean = walk<1>(f, axes.get(), single, product, &total); break;
    case 2: clean = walk<2>(f, axes.get(), single, product, &total); break;
    case 3: clean = walk<3>(f, axes.get(), single, product, &total); break;
    default: clean = walk<0>(f, axes.get(), single, product, &total); break;
    }
    return clean ? total : 0.0;
}

}  // namespace

double builtin_sum(int m, double *args, TmCallContext *ctx) {
    return over_grid(m, args, ctx, u"sum", false);
}

double builtin_pro(int m, double *args, TmCallContext *ctx) {
    return over_grid(m, args, ctx, u"pro", true);
}

}  // namespace tmx
