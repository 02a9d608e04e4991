// opt::minimize and opt::fit: NLopt's minimisers for a formula of n
// parameters, and for the sum of squared residuals of a model formula over
// data.  Both end in the same optional arguments:
//   [, algorithm [, lower, upper [, rtol [, atol [, maxeval [, &status [, &evals]]]]]]]
// algorithm 0 and bounds 0 take the defaults (Subplex, no bound); the
// result is the least value found, the point goes back into the start
// array.
#include <cmath>
#include <new>

#include "call.h"
#include "ext/protocol/real_slots.h"
#include "formula.h"
#include "functions.h"
#include "minimizer.h"
#include "real_arrays.h"

namespace optlib {

namespace {

// The optional arguments after a function's own ones.
struct Tail {
    const double *args;
    int count;  // how many of them the call gave
    bool has(int i) const { return i < count; }
};

// A bound array, or none for 0; infinite bounds are fine, NaN is not.
int read_bound(const Library &lib, double slot, size_t n, double none, std::vector<double> *out) {
    if (is_no_array(slot)) {
        out->assign(n, none);
        return 0;
    }
    if (!read_real_array(lib, slot, out)) return kNotRealArray;
    if (out->size() != n) return kLengthsDiffer;
    for (double v : *out)
        if (std::isnan(v)) return kBadNumbers;
    return 0;
}

// Reads algorithm, bounds, tolerances and limit into s; 0 or the code.
int read_settings(const Library &lib, const Tail &tail, size_t n, Settings *s) {
    if (tail.count == 2) return kWrongArgumentCount;  // a lower bound without its upper
    if (tail.has(0) && tail.args[0] != 0) {
        const double a = tail.args[0];
        if (std::isnan(a) || !known_algorithm(extproto::real_slot_integer(a)))
            return kUnknownAlgorithm;
        s->algorithm = int(extproto::real_slot_integer(a));
    }
    if (tail.has(2) && (tail.args[1] != 0 || tail.args[2] != 0)) {
        if (int code = read_bound(lib, tail.args[1], n, -HUGE_VAL, &s->lower)) return code;
        if (int code = read_bound(lib, tail.args[2], n, HUGE_VAL, &s->upper)) return code;
        for (size_t i = 0; i < n; ++i)
            if (s->lower[i] > s->upper[i]) return kBadNumbers;
    }
    auto nonnegative = [](double v) { return v >= 0 && !std::isinf(v); };
    if (tail.has(3)) {
        if (!nonnegative(tail.args[3])) return kBadStopping;
        s->rtol = tail.args[3];
    }
    if (tail.has(4)) {
        if (!nonnegative(tail.args[4])) return kBadStopping;
        s->atol = tail.args[4];
    }
    if (tail.has(5)) {
        if (!(tail.args[5] >= 0)) return kBadStopping;
        s->maxeval = extproto::real_slot_integer(tail.args[5]);
    }
    // Nothing else would end a run that never converges.
    if (s->rtol == 0 && s->atol == 0 && s->maxeval == 0) return kBadStopping;
    return 0;
}

bool all_finite(const std::vector<double> &values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

class FormulaObjective : public Objective {
public:
    explicit FormulaObjective(FormulaEvaluator &f) : f_(f) {}
    bool value(const double *x, double *f) override { return f_.evaluate(x, f); }
    int stop_code() const override { return f_.stop_code(); }

private:
    FormulaEvaluator &f_;
};

// Sum over the data of (y - model(x, p...))^2.
class LeastSquares : public Objective {
public:
    LeastSquares(FormulaEvaluator &model, const std::vector<double> &xs,
                 const std::vector<double> &ys, size_t parameters)
        : model_(model), xs_(xs), ys_(ys), arguments_(parameters + 1) {}
    bool value(const double *p, double *f) override {
        std::copy(p, p + arguments_.size() - 1, arguments_.begin() + 1);
        double sum = 0;
        for (size_t i = 0; i < xs_.size(); ++i) {
            arguments_[0] = xs_[i];
            double y = 0;
            if (!model_.evaluate(arguments_.data(), &y)) return false;
            const double r = ys_[i] - y;
            sum += r * r;
        }
        if (std::isinf(sum)) {
            overflow_ = true;
            return false;
        }
        *f = sum;
        return true;
    }
    int stop_code() const override { return overflow_ ? kObjectiveInfinite : model_.stop_code(); }

private:
    FormulaEvaluator &model_;
    const std::vector<double> &xs_, &ys_;
    std::vector<double> arguments_;
    bool overflow_ = false;
};

// Where a call's results go: the start array's slot, and the slots of the
// status and the evaluation count, the last two only when the call has them.
struct Results {
    double *args;
    int count;
    int startAt, statusAt;
};

// Runs the minimiser and hands the results out: status and evaluation
// count always, the point into the start array and the least value as the
// result only when the run was not ended by an error.
double run_and_report(const Call &call, Objective &objective, std::vector<double> &x,
                      const Settings &settings, const Results &to) {
    const Outcome out = minimize(objective, x, settings);
    if (to.statusAt < to.count) to.args[to.statusAt] = out.stopped ? kStatusForcedStop : out.status;
    if (to.statusAt + 1 < to.count) to.args[to.statusAt + 1] = double(out.evals);
    if (out.noMemory) return call.fail(kNoMemory);
    if (out.stopped) return call.fail(objective.stop_code());
    if (out.status == kStatusInvalidArgs) return call.fail(kBadNumbers);
    if (!write_real_array(call.lib, to.args[to.startAt], x)) return call.fail(kArrayGone);
    return out.fmin;
}

}  // namespace

double opt_minimize(const Library &lib, int m, double *args, TmCallContext *ctx) {
    const Call call{lib, ctx, u"opt::minimize"};
    const int count = m + 1;
    if (count < 2 || count > 10) return call.fail(kWrongArgumentCount);
    Formula formula;
    if (int code = find_formula(lib, ctx, args[0], &formula)) return call.fail(code);
    std::vector<double> x;
    if (!read_real_array(lib, args[1], &x)) return call.fail(kNotRealArray);
    if (formula.params() != int64_t(x.size())) return call.fail(kWrongParameterCount);
    if (!all_finite(x)) return call.fail(kBadNumbers);
    Settings settings;
    if (int code = read_settings(lib, Tail{args + 2, count - 2}, x.size(), &settings))
        return call.fail(code);

    FormulaEvaluator evaluator(lib, formula);
    FormulaObjective objective(evaluator);
    return run_and_report(call, objective, x, settings, Results{args, count, 1, 8});
}

double opt_fit(const Library &lib, int m, double *args, TmCallContext *ctx) {
    const Call call{lib, ctx, u"opt::fit"};
    const int count = m + 1;
    if (count < 4 || count > 12) return call.fail(kWrongArgumentCount);
    Formula model;
    if (int code = find_formula(lib, ctx, args[0], &model)) return call.fail(code);
    std::vector<double> xs, ys, p;
    if (!read_real_array(lib, args[1], &xs) || !read_real_array(lib, args[2], &ys) ||
        !read_real_array(lib, args[3], &p))
        return call.fail(kNotRealArray);
    if (xs.size() != ys.size()) return call.fail(kLengthsDiffer);
    if (model.params() != int64_t(p.size()) + 1) return call.fail(kWrongParameterCount);
    if (!all_finite(xs) || !all_finite(ys) || !all_finite(p)) return call.fail(kBadNumbers);
    Settings settings;
    if (int code = read_settings(lib, Tail{args + 4, count - 4}, p.size(), &settings))
        return call.fail(code);

    FormulaEvaluator evaluator(lib, model);
    LeastSquares objective(evaluator, xs, ys, p.size());
    return run_and_report(call, objective, p, settings, Results{args, count, 3, 10});
}

}  // namespace optlib
