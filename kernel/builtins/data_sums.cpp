// "DataSum" and "DataPro"("f", x0, y0, x1, y1, ...): the sum or product of
// a real formula over consecutive groups of its parameter count of values.
// The walk stops at the first run error that becomes pending, with result 0.
#include <cstdint>

#include "builtin_support.h"
#include "builtins.h"
#include "formula_argument.h"
#include "formula_points.h"

namespace tmx {

namespace {

enum DataError : int {
    kBadDataCount = 3,
};

double over_data(int m, double *args, const TmCallContext *ctx, const char16_t *name,
                 bool product) {
    if (run_error_pending()) return 0.0;
    // No data at all (nor perhaps a name): nothing to look up.
    if (m < 1) {
        report_builtin_error(2, name, kBadDataCount, ctx);
        return 0.0;
    }
    NamedRealFormula f;
    if (int code = find_real_formula_with_parameters(string_index_of(args[0]), ctx, &f)) {
        report_builtin_error(2, name, code, ctx);
        return 0.0;
    }
    if (m % f.params != 0) {
        report_builtin_error(2, name, kBadDataCount, ctx);
        return 0.0;
    }

    const double *group = args + 1, *const end = args + 1 + m;
    if (f.running) {
        // A running formula takes each group where it lies: writing it into
        // the argument area would change the running activation's
        // parameters, and argument slots are the callee's to change while
        // each group is read by one call only.
        double total = product ? 1.0 : 0.0;
        for (double *g = args + 1; g < end; g += f.params) {
            const double value = f.call(g);
            if (run_error_pending()) return 0.0;
            total = product ? total * value : total + value;
        }
        return total;
    }
    auto fill = [&](double *point, int room) {
        int n = 0;
        for (; n < room && group < end; ++n, group += f.params, point += f.params)
            for (int32_t i = 0; i < f.params; ++i) point[i] = group[i];
        return n;
    };
    double total = 0.0;
    return evaluate_points(f, f.argument_array(nullptr), product, fill, &total) ? total : 0.0;
}

}  // namespace

double builtin_data_sum(int m, double *args, TmCallContext *ctx) {
    return over_data(m, args, ctx, u"DataSum", false);
}

double builtin_data_pro(int m, double *args, TmCallContext *ctx) {
    return over_data(m, args, ctx, u"DataPro", true);
}

}  // namespace tmx
