#include "minimizer.h"

#include <nlopt.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace optlib {

namespace {

nlopt_algorithm nlopt_code(int algorithm) {
    switch (algorithm) {
    case kNelderMead: return NLOPT_LN_NELDERMEAD;
    case kBobyqa: return NLOPT_LN_BOBYQA;
    case kCobyla: return NLOPT_LN_COBYLA;
    case kLbfgs: return NLOPT_LD_LBFGS;
    default: return NLOPT_LN_SBPLX;
    }
}

// One run: what NLopt's callback needs, allocated before the run starts,
// since nothing may throw through NLopt.
struct Run {
    Run(Objective &o, const Settings &s) : objective(o), settings(s) {}
    Objective &objective;
    const Settings &settings;
    nlopt_opt opt = nullptr;
    std::vector<double> point;  // the point evaluated, within the bounds
    std::vector<double> best;
    double fbest = std::numeric_limits<double>::infinity();
    bool haveBest = false;
    int64_t evals = 0;
    bool stopped = false;
    bool limit = false;

    bool bounded() const { return !settings.lower.empty(); }

    // f at point; false forces NLopt to stop.
    bool evaluate(double *f) {
        if (settings.maxeval > 0 && evals >= settings.maxeval) {
            limit = true;
            return false;
        }
        ++evals;
        if (objective.value(point.data(), f)) return true;
        stopped = true;
        return false;
    }

    // x within the bounds: the algorithms keep to them, this makes sure the
    // formula never sees a point outside.
    void place(const double *x) {
        for (size_t i = 0; i < point.size(); ++i) {
            double xi = x[i];
            if (bounded()) xi = std::clamp(xi, settings.lower[i], settings.upper[i]);
            point[i] = xi;
        }
    }

    // Central differences, one-sided where a bound is nearer than the step.
    bool gradient(double f0, double *grad) {
        const double cbrtEps = 6.0554544523933395e-06;
        for (size_t i = 0; i < point.size(); ++i) {
            const double xi = point[i];
            const double h = cbrtEps * std::max(std::fabs(xi), 1.0);
            const double hi = bounded() ? settings.upper[i] : INFINITY;
            const double lo = bounded() ? settings.lower[i] : -INFINITY;
            double up = xi + h, down = xi - h;
            if (up > hi) up = xi;
            if (down < lo) down = xi;
            double fup = f0, fdown = f0;
            if (up != xi) {
                point[i] = up;
                if (!evaluate(&fup)) return false;
            }
            if (down != xi) {
                point[i] = down;
                if (!evaluate(&fdown)) return false;
            }
            point[i] = xi;
            // A variable whose bounds coincide has no direction to move in.
            grad[i] = up == down ? 0 : (fup - fdown) / (up - down);
        }
        return true;
    }

    double call(const double *x, double *grad) {
        place(x);
        double f = 0;
        if (!evaluate(&f)) {
            nlopt_force_stop(opt);
            return HUGE_VAL;
        }
        if (!haveBest || f < fbest) {
            best = point;  // same size: no allocation
            fbest = f;
            haveBest = true;
        }
        if (grad && !gradient(f, grad)) {
            nlopt_force_stop(opt);
            return HUGE_VAL;
        }
        return f;
    }

    static double callback(unsigned, const double *x, double *grad, void *data) {
        return static_cast<Run *>(data)->call(x, grad);
    }
};

struct OptHolder {
    nlopt_opt opt;
    ~OptHolder() {
        if (opt) nlopt_destroy(opt);
    }
};

}  // namespace

Outcome minimize(Objective &objective, std::vector<double> &x, const Settings &settings) {
    Outcome out;
    const unsigned n = unsigned(x.size());
    Run run(objective, settings);
    run.point.assign(n, 0.0);
    run.best.assign(n, 0.0);
    OptHolder holder{nlopt_create(nlopt_code(settings.algorithm), n)};
    run.opt = holder.opt;
    bool ok = holder.opt &&
              nlopt_set_min_objective(holder.opt, Run::callback, &run) == NLOPT_SUCCESS;
    if (ok && run.bounded())
        ok = nlopt_set_lower_bounds(holder.opt, settings.lower.data()) == NLOPT_SUCCESS &&
             nlopt_set_upper_bounds(holder.opt, settings.upper.data()) == NLOPT_SUCCESS;
    if (ok && settings.rtol > 0)
        ok = nlopt_set_xtol_rel(holder.opt, settings.rtol) == NLOPT_SUCCESS;
    if (ok && settings.atol > 0)
        ok = nlopt_set_ftol_abs(holder.opt, settings.atol) == NLOPT_SUCCESS;
    if (!ok) {
        out.noMemory = true;
        return out;
    }
    run.place(x.data());
    std::vector<double> work = run.point;
    double fmin = 0;
    const nlopt_result rc = nlopt_optimize(holder.opt, work.data(), &fmin);
    out.evals = run.evals;
    out.stopped = run.stopped;
    if (rc == NLOPT_OUT_OF_MEMORY) out.noMemory = true;
    if (run.limit) {
        out.status = kStatusMaxevalReached;
    } else {
        out.status = int(rc);
    }
    // NLopt's answer when it finished by itself; the best point evaluated
    // when it was stopped or failed.
    if (rc > 0 || rc == NLOPT_ROUNDOFF_LIMITED) {
        run.place(work.data());
        x = run.point;
        out.fmin = fmin;
    } else if (run.haveBest) {
        x = run.best;
        out.fmin = run.fbest;
    }
    return out;
}

}  // namespace optlib
