#include "script_args.h"

#include <cstring>

#include "../registry/formulas.h"
#include "../registry/module_names.h"
#include "../registry/modules.h"
#include "../registry/resolve.h"

namespace tmx {

FormulaRecord *calling_formula(const TmCallContext *ctx) {
    return ctx ? reachable_formula(ctx->hFor) : nullptr;
}

bool string_argument(const TmCallContext *ctx, int64_t index, const char16_t **text,
                     size_t *len) {
    const FormulaRecord *r = calling_formula(ctx);
    if (!r || r->header[kCodeStart] < 0) return false;
    const int64_t first = r->header[kFirstString];
    const int64_t last = r->header[kCodeStart] / 2 - 1;
    if (index < first || index > last) return false;
    for (int64_t i = index; i <= last; ++i) {
        char16_t c;
        std::memcpy(&c, r->code + 2 * i, sizeof c);
        if (c != 0) continue;
        *text = reinterpret_cast<const char16_t *>(r->code + 2 * index);
        *len = size_t(i - index);
        return true;
    }
    return false;
}

FormulaRecord *named_formula(const char16_t *name, size_t len, int type,
                             const TmCallContext *ctx) {
    const FormulaRecord *caller = calling_formula(ctx);
    const int module = caller ? caller->header[kModuleNo] : 0;
    FormulaRecord *found = nullptr;
    for (FormulaRecord *r = same_name_list(type, name, len); r; r = r->next) {
        if (same_module(r->header[kModuleNo], module)) return r;
        if (r->header[kModuleNo] > 0) found = r;
    }
    return found ? found : qualified_formula(name, len, type);
}

}  // namespace tmx
