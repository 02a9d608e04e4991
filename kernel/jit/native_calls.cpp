#include "native_calls.h"

#include "../eval/activation.h"
#include "../eval/cross_calls.h"
#include "../eval/native_guard.h"
#include "../eval/real_fast.h"
#include "../registry/registry.h"
#include "../run_error.h"
#include "tamrix/tamrix.h"

namespace tmx::native_calls {

namespace {

// The first-error rule holds: a pending error stays.
[[gnu::cold, gnu::noinline]] double callee_gone(FormulaRecord *rec) {
    record_run_error(-rec->header[kCodeStart], nullptr, 0, kTypeReal, rec);
    return 0.0;
}

bool callees_valid(const FormulaRecord *rec) { return rec->header[kCodeStart] >= 0; }

}  // namespace

int begin_first(FormulaRecord *rec) {
    // RealCal enters native code without the checks of its slower path, so
    // the floor may not be known yet on this thread.
    prepare_native_stack_floor();
    const int32_t code_start = rec->header[kCodeStart];
    if (code_start < 0) [[unlikely]] {
        refuse_invalidated(rec, kTypeReal, code_start);
        return 0;
    }
    if (native_stack_exhausted()) [[unlikely]] {
        refuse_stack_overflow(rec, kTypeReal);
        return 0;
    }
    rec->code[0] = kRunning;
    return 1;
}

void refuse_nested(FormulaRecord *rec) {
    const int32_t code_start = rec->header[kCodeStart];
    if (code_start < 0)
        refuse_invalidated(rec, kTypeReal, code_start);
    else
        refuse_stack_overflow(rec, kTypeReal);
}

double call_real(FormulaRecord *rec, FormulaRecord *callee, double *slot) {
    if (!callees_valid(rec)) return callee_gone(rec);
    // In place: a running callee (recursion) keeps its parameters in this
    // activation's stack slots, as from the interpreter.
    return enter_real(callee, slot, true);
}

double call_int(FormulaRecord *rec, FormulaRecord *callee, double *slot) {
    if (!callees_valid(rec)) return callee_gone(rec);
    return call_int_formula(callee, slot);
}

double call_complex(FormulaRecord *rec, FormulaRecord *callee, double *slot) {
    if (!callees_valid(rec)) return callee_gone(rec);
    return call_complex_formula(callee, slot);
}

double call_external(FormulaRecord *rec, void *function, int64_t m, double *slot) {
    if (!callees_valid(rec)) return callee_gone(rec);
    TmCallContext ctx = {kTypeReal, rec};
    auto *ext = static_cast<ExternalFunction *>(function);
    return reinterpret_cast<TmRealFunction>(ext->address)(int(m), slot, &ctx);
}

void which_none(FormulaRecord *rec) {
    record_run_error(kTypeReal, u"which", 0, kTypeReal, rec);
}

}  // namespace tmx::native_calls
