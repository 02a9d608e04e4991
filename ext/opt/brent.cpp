#include "brent.h"

#include <cmath>

namespace optlib {

BrentOutcome brent_minimize(Objective &f, double a, double b, double tol, int64_t maxeval) {
    const double golden = (3 - std::sqrt(5.0)) / 2;
    const double eps = std::sqrt(2.220446049250313e-16);
    BrentOutcome out;
    auto eval = [&](double u, double *fu) {
        if (out.evals >= maxeval) {
            out.status = kStatusMaxevalReached;
            return false;
        }
        ++out.evals;
        if (f.value(&u, fu)) return true;
        out.stopped = true;
        return false;
    };

    double x = a + golden * (b - a), w = x, v = x;
    double fx = 0;
    if (!eval(x, &fx)) {
        // Nothing evaluated: the middle is as good an answer as any.
        out.x = x;
        return out;
    }
    double fw = fx, fv = fx;
    double d = 0, e = 0;
    for (;;) {
        const double m = (a + b) / 2;
        const double tol1 = eps * std::fabs(x) + tol / 3;
        const double tol2 = 2 * tol1;
        if (std::fabs(x - m) <= tol2 - (b - a) / 2) {
            out.status = kStatusXtolReached;
            break;
        }
        bool parabolic = false;
        if (std::fabs(e) > tol1) {
            // The parabola through x, w and v; its vertex at x + p / q.
            double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2 * (q - r);
            if (q > 0) p = -p;
            q = std::fabs(q);
            r = e;
            e = d;
            if (std::fabs(p) < std::fabs(q * r / 2) && p > q * (a - x) && p < q * (b - x)) {
                d = p / q;
                const double u = x + d;
                // Not too close to either end.
                if (u - a < tol2 || b - u < tol2) d = x < m ? tol1 : -tol1;
                parabolic = true;
            }
        }
        if (!parabolic) {
            e = (x < m ? b : a) - x;
            d = golden * e;
        }
        const double u = x + (std::fabs(d) >= tol1 ? d : (d > 0 ? tol1 : -tol1));
        double fu = 0;
        if (!eval(u, &fu)) break;
        if (fu <= fx) {
            (u < x ? b : a) = x;
            v = w, fv = fw;
            w = x, fw = fx;
            x = u, fx = fu;
        } else {
            (u < x ? a : b) = u;
            if (fu <= fw || w == x) {
                v = w, fv = fw;
                w = u, fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u, fv = fu;
            }
        }
    }
    out.x = x;
    out.fx = fx;
    return out;
}

}  // namespace optlib
