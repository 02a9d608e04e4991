// The run-error record and its three exports.  The record is plain data so
// that the evaluators can test `type` inline; everything that writes it goes
// through here.
#include "run_error.h"

#include "tamrix/tamrix.h"

namespace tmx {

RunErrorRecord g_run_error = {};

void record_run_error(int type, const char16_t *name, int code, int formula_type,
                      void *formula) {
    if (run_error_pending()) return;
    g_run_error = {type, name, code, formula_type, formula};
}

void forget_run_error_formula(void *formula) {
    if (formula && g_run_error.formula == formula) g_run_error.formula = nullptr;
}

}  // namespace tmx

extern "C" {

TM_API void TM_CALL GetRunErr(int *type, const char16_t **name, int *code, int *forType,
                              void **hFor) {
    const tmx::RunErrorRecord e = tmx::g_run_error;
    tmx::g_run_error = {};
    if (type) *type = e.type;
    if (name) *name = e.name;
    if (code) *code = e.code;
    if (forType) *forType = e.formula_type;
    if (hFor) *hFor = e.formula;
}

// A script function reports with formula type 0 and its call context in place
// of the handle; the context is unpacked here so the record always names a
// formula, never a context that is gone once the function returns.
TM_API void TM_CALL SetRunErr(int type, const char16_t *name, int code, int forType,
                              void *hFor) {
    if (forType == 0 && hFor) {
        const auto *ctx = static_cast<const TmCallContext *>(hFor);
        forType = ctx->type;
        hFor = ctx->hFor;
    }
    // The type goes last: a thread polling run_error_pending() then finds
    // the other fields written.
    tmx::RunErrorRecord &e = tmx::g_run_error;
    e.name = name;
    e.code = code;
    e.formula_type = forType;
    e.formula = hFor;
    __atomic_store_n(&e.type, type, __ATOMIC_RELEASE);
}

TM_API int TM_CALL TestRunErr(void) {
    return __atomic_load_n(&tmx::g_run_error.type, __ATOMIC_RELAXED);
}

}  // extern "C"
