// "max" and "min" for integer and real formulas.
//
// Only a strictly better value replaces the one kept, so ties keep the
// earliest (which decides between -0 and +0), and since every comparison
// with a NaN is false, a NaN in first place stays while later NaNs are
// skipped.
#include "builtin_support.h"
#include "builtins.h"

namespace tmx {

namespace {

constexpr int kNoArguments = 1;

template <class Value, class Better>
Value extreme(int m, const Value *args, TmCallContext *ctx, int type, const char16_t *name,
              Better better) {
    if (m < 0) {
        report_builtin_error(type, name, kNoArguments, ctx);
        return Value(0);
    }
    Value kept = args[0];
    for (int i = 1; i <= m; ++i)
        if (better(args[i], kept)) kept = args[i];
    return kept;
}

template <class Value> bool larger(Value a, Value b) { return a > b; }
template <class Value> bool smaller(Value a, Value b) { return a < b; }

}  // namespace

int64_t builtin_max_int(int m, int64_t *args, TmCallContext *ctx) {
    return extreme(m, args, ctx, 1, u"max", larger<int64_t>);
}

int64_t builtin_min_int(int m, int64_t *args, TmCallContext *ctx) {
    return extreme(m, args, ctx, 1, u"min", smaller<int64_t>);
}

double builtin_max_real(int m, double *args, TmCallContext *ctx) {
    return extreme(m, args, ctx, 2, u"max", larger<double>);
}

double builtin_min_real(int m, double *args, TmCallContext *ctx) {
    return extreme(m, args, ctx, 2, u"min", smaller<double>);
}

}  // namespace tmx
