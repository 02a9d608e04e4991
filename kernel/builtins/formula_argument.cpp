#include "formula_argument.h"

#include "script_args.h"

namespace tmx {

FormulaArgumentError find_real_formula(int64_t index, const TmCallContext *ctx,
                                       NamedRealFormula *out) {
    const char16_t *text = nullptr;
    size_t len = 0;
    if (!string_argument(ctx, index, &text, &len)) return kBadFormulaString;
    FormulaRecord *r = len ? named_formula(text, len, 2, ctx) : nullptr;
    if (!r) return kFormulaNotFound;
    out->record = r;
    out->data = static_cast<double *>(r->data);
    out->params = r->header[kLastParam] + 1;
    out->running = r->code[0] != kIdle;
    return kFormulaFound;
}

FormulaArgumentError find_real_formula_with_parameters(int64_t index, const TmCallContext *ctx,
                                                       NamedRealFormula *out) {
    if (FormulaArgumentError code = find_real_formula(index, ctx, out)) return code;
    return out->params == 0 ? kFormulaWithoutParameters : kFormulaFound;
}

}  // namespace tmx
