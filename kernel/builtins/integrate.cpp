// "SimpIntegrate"(a, b, eps, "f"): the integral of a real formula of one
// parameter over [a, b] by Romberg's first step (Simpson's rule from two
// trapezoid estimates), halving the subintervals until two successive
// Simpson estimates differ by less than eps.
//
// The refinement is bounded.  Left alone it would never end when the
// estimates cannot meet eps: f yields NaN or infinity (the estimate stays
// non-finite for good), eps is 0, negative or below the rounding noise of
// the result, or b - a is so small that h runs down to 0.  The loop therefore
// also stops, recording code 4 ("did not converge") with result 0 like every
// other error here, when the estimate is not finite, h is 0, or the next pass
// would exceed kMaxSubintervals subintervals.  2^24 subintervals put the
// Simpson error of any smooth f far below double precision and still let
// slowly converging integrands (sqrt near 0) reach eps of about 1e-11; the
// worst case is 2^24 + 1 evaluations of f.
//
// A run error that becomes pending (one raised by f, or an interrupt from
// another thread) ends the loop at the next evaluation with result 0.
#include <cmath>
#include <cstdint>

#include "builtin_support.h"
#include "builtins.h"
#include "formula_argument.h"
#include "formula_points.h"

namespace tmx {

namespace {

constexpr const char16_t *kName = u"SimpIntegrate";
constexpr int kWrongParameterCount = 3;
constexpr int kNoConvergence = 4;
constexpr uint64_t kMaxSubintervals = uint64_t(1) << 24;

// f(x), with x written to `arg`, the formula's argument array.
double at(const NamedRealFormula &f, double *arg, double x) {
    *arg = x;
    return f.call(arg);
}

}  // namespace

double builtin_simp_integrate(int m, double *args, TmCallContext *ctx) {
    if (run_error_pending()) return 0.0;
    // Registered with four parameters; a native caller with fewer has passed
    // no name.
    if (m < 3) {
        report_builtin_error(2, kName, kBadFormulaString, ctx);
        return 0.0;
    }
    const double a = args[0], b = args[1], eps = args[2];
    NamedRealFormula f;
    if (int code = find_real_formula(string_index_of(args[3]), ctx, &f)) {
        report_builtin_error(2, kName, code, ctx);
        return 0.0;
    }
    if (f.params != 1) {
        report_builtin_error(2, kName, kWrongParameterCount, ctx);
        return 0.0;
    }

    double own_slot = 0;
    double *const arg = f.argument_array(&own_slot);
    double h = b - a;
    double trapezoid = (at(f, arg, a) + at(f, arg, b)) * h / 2;
    double simpson = trapezoid;
    if (std::isnan(eps)) return a;
    for (uint64_t n = 1;; n *= 2) {
        uint64_t i = 0;
        auto fill = [&](double *x, int room) {
            int k = 0;
            for (; k < room && i < n; ++k, ++i) x[k] = a + h * (double(i) + 0.5);
            return k;
        };
        // The rest of the midpoints through the formula's line form, in an
        // argument slot of its own, when a and h are finite (the form's
        // arithmetic is the fill's then).
        const auto line = [&](double *t) {
            const JitLine native = jit_line(f.record);
            if (!native || !std::isfinite(a) || !std::isfinite(h)) return false;
            double x = 0;
            *t = native(&x, int64_t(i), int64_t(n), a + h * (double(i) + 0.5), a, h, 0.5, *t);
            return true;
        };
        double midpoints = 0.0;
        if (!evaluate_points(f, arg, false, fill, &midpoints, line)) return 0.0;
        const double refined = (trapezoid + midpoints * h) / 2;
        const double next = (4 * refined - trapezoid) / 3;
        h /= 2;
        if (std::fabs(next - simpson) < eps) return next;
        if (!std::isfinite(next) || h == 0 || 2 * n >= kMaxSubintervals) {
            report_builtin_error(2, kName, kNoConvergence, ctx);
            return 0.0;
        }
        trapezoid = refined;
        simpson = next;
    }
}

}  // namespace tmx
