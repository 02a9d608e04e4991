// LockModule and ExMsgWithTamrix: module locks for the module library, and
// the facts libraries cannot reach through the other exports (a formula's
// name and module, a constant's value, a module's formula count, the
// run-error record, the static-release hook).
//
// Handles that arrive here (directly or inside a call context) are only
// trusted once the registry knows them as formulas: a stale or made-up
// pointer yields 0 and is never dereferenced.
#include <cstdint>

#include "../record.h"
#include "../run_error.h"
#include "formulas.h"
#include "modules.h"
#include "registry.h"
#include "tamrix/tamrix.h"

namespace tmx {

namespace {

enum Message : int {
    kMsgContextName = 1,
    kMsgFormulaName = 2,
    kMsgContextModule = 3,
    kMsgFormulaModule = 4,
    kMsgSetStaticHook = 5,
    kMsgClearStaticHook = 6,
    kMsgIntConst = 7,
    kMsgRealConst = 8,
    kMsgComplexConst = 9,
    kMsgModuleFormulas = 10,
    kMsgRunErrorRecord = 11,
};

intptr_t as_result(const void *p) { return reinterpret_cast<intptr_t>(p); }

// The formula a handle names if it is known and of `type` (1-3).  Formulas
// in their release pass count: they still run, and their external functions
// still ask about them.
FormulaRecord *formula_of_type(void *handle, int type) {
    if (type < 1 || type > 3) return nullptr;
    FormulaRecord *r = reachable_formula(handle);
    return r && r->type == type && r->header && r->code ? r : nullptr;
}

// Messages 1 and 3: the context's formula type and handle go to the out
// pointers (when given); the formula itself is read only once known.
FormulaRecord *formula_of_context(void *p, int *q, void **out) {
    if (!p) return nullptr;
    const auto *ctx = static_cast<const TmCallContext *>(p);
    int type = ctx->type;
    void *handle = ctx->hFor;
    if (q) *q = type;
    if (out) *out = handle;
    return formula_of_type(handle, type);
}

FormulaRecord *formula_of_handle(void *p, const int *q) {
    return q ? formula_of_type(p, *q) : nullptr;
}

intptr_t name_of(const FormulaRecord *r) { return r ? as_result(formula_name(r)) : 0; }
intptr_t module_of(const FormulaRecord *r) { return r ? r->header[kModuleNo] : 0; }

intptr_t constant_address(int type, const void *p) {
    if (!p) return 0;
    const auto *name = static_cast<const char16_t *>(p);
    size_t len = wide_length(name);
    if (len == 0 || len > size_t(INT32_MAX)) return 0;
    return as_result(find_constant(type, name, int32_t(len)));
}

// A module number travels in the pointer argument; its low 32 bits hold it.
int module_number(const void *p) { return int(int32_t(reinterpret_cast<intptr_t>(p))); }

intptr_t module_formula_count(const void *p) {
    const ModuleRecord *record = find_module(module_number(p));
    return record ? record->formula_count : 0;
}

// Locking: a fresh number gets a record {count 0, lock}; a record held by
// this lock function is already locked.
bool lock_module(int module, TmLockFunction lockFn) {
    if (const ModuleRecord *record = find_module(module)) return record->lock == lockFn;
    ModuleRecord *record = module_record(module);
    if (!record) return false;
    record->lock = lockFn;
    return true;
}

// Unlocking removes the record, but never one that still counts formulas.
bool unlock_module(int module) {
    const ModuleRecord *record = find_module(module);
    if (!record) return true;
    if (record->formula_count > 0) return false;
    remove_module(module);
    return true;
}

}  // namespace

}  // namespace tmx

extern "C" {

TM_API bool TM_CALL LockModule(int module, TmLockFunction lockFn, bool lock) {
    using namespace tmx;
    if (!lockFn) return false;
    lockFn();
    return lock ? lock_module(module, lockFn) : unlock_module(module);
}

TM_API intptr_t TM_CALL ExMsgWithTamrix(int message, void *p, int *q, void **out) {
    using namespace tmx;
    switch (message) {
    case kMsgContextName: return name_of(formula_of_context(p, q, out));
    case kMsgFormulaName: return name_of(formula_of_handle(p, q));
    case kMsgContextModule: return module_of(formula_of_context(p, q, out));
    case kMsgFormulaModule: return module_of(formula_of_handle(p, q));
    case kMsgSetStaticHook:
        g_static_release_hook = reinterpret_cast<StaticReleaseHook>(p);
        return 0;
    case kMsgClearStaticHook:
        g_static_release_hook = nullptr;
        return 0;
    case kMsgIntConst:
    case kMsgRealConst:
    case kMsgComplexConst:
        return constant_address(kEntryIntConst + (message - kMsgIntConst), p);
    case kMsgModuleFormulas: return module_formula_count(p);
    case kMsgRunErrorRecord: return as_result(&g_run_error);
    default: return 0;
    }
}

}  // extern "C"
