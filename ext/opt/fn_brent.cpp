// opt::brent(f, a, b [, &fmin [, tol [, maxeval [, &status [, &evals]]]]]):
// the x in [a, b] where the one-parameter formula f is least, by Brent's
// method.  tol (default 1e-10) is the absolute tolerance on x on top of
// sqrt(eps)|x|; maxeval (default 1000, 0 none) bounds the evaluations.
#include <cmath>
#include <utility>

#include "brent.h"
#include "call.h"
#include "ext/protocol/real_slots.h"
#include "formula.h"
#include "functions.h"

namespace optlib {

namespace {

constexpr double kDefaultTolerance = 1e-10;
constexpr int64_t kDefaultMaxeval = 1000;

class OneVariable : public Objective {
public:
    explicit OneVariable(FormulaEvaluator &f) : f_(f) {}
    bool value(const double *x, double *f) override { return f_.evaluate(x, f); }
    int stop_code() const override { return f_.stop_code(); }

private:
    FormulaEvaluator &f_;
};

}  // namespace

double opt_brent(const Library &lib, int m, double *args, TmCallContext *ctx) {
    const Call call{lib, ctx, u"opt::brent"};
    const int count = m + 1;
    if (count < 3 || count > 8) return call.fail(kWrongArgumentCount);
    Formula formula;
    if (int code = find_formula(lib, ctx, args[0], &formula)) return call.fail(code);
    if (formula.params() != 1) return call.fail(kWrongParameterCount);
    double a = args[1], b = args[2];
    if (!std::isfinite(a) || !std::isfinite(b) || a == b || !std::isfinite(b - a))
        return call.fail(kBadNumbers);
    if (a > b) std::swap(a, b);
    const double tol = count > 4 ? args[4] : kDefaultTolerance;
    if (!(tol > 0) || std::isinf(tol)) return call.fail(kBadStopping);
    int64_t maxeval = kDefaultMaxeval;
    if (count > 5) {
        if (!(args[5] >= 0)) return call.fail(kBadStopping);
        maxeval = extproto::real_slot_integer(args[5]);
        if (maxeval == 0) maxeval = INT64_MAX;
    }

    FormulaEvaluator evaluator(lib, formula);
    OneVariable objective(evaluator);
    const BrentOutcome out = brent_minimize(objective, a, b, tol, maxeval);
    if (count > 6) args[6] = out.stopped ? kStatusForcedStop : out.status;
    if (count > 7) args[7] = double(out.evals);
    if (out.stopped) return call.fail(objective.stop_code());
    if (count > 3) args[3] = out.fx;
    return out.x;
}

}  // namespace optlib
