// The run-error record and its three exports.  The record is plain data so
// that the evaluators can test `type` inline; everything that writes it goes
// through here.
//
// A host's monitor thread records an interrupt (SetRunErr) while the
// evaluating thread may be recording an error of its own, and a host may
// take the record (GetRunErr) meanwhile.  Every write and every take
// therefore holds one lock, so a record is always written and taken whole,
// never as fields of two.  The evaluators' poll (run_error_pending) reads
// `type` alone without the lock and costs what it always did; the locked
// paths run once per error or per taken record, never per instruction.
#include "run_error.h"

#include <mutex>

#include "tamrix/tamrix.h"

namespace tmx {

RunErrorRecord g_run_error = {};

namespace {

std::mutex g_record_lock;

// With the lock held.  The type goes last: a thread polling `type` without
// the lock then finds the other fields written.
void write_record(const RunErrorRecord &e) {
    g_run_error.name = e.name;
    g_run_error.code = e.code;
    g_run_error.formula_type = e.formula_type;
    g_run_error.formula = e.formula;
    __atomic_store_n(&g_run_error.type, e.type, __ATOMIC_RELEASE);
}

}  // namespace

void record_run_error(int type, const char16_t *name, int code, int formula_type,
                      void *formula) {
    if (run_error_pending()) return;
    std::lock_guard<std::mutex> lock(g_record_lock);
    // Another thread may have recorded one since the test above.
    if (run_error_pending()) return;
    write_record({type, name, code, formula_type, formula});
}

// Called for every folded operation and every released formula, nearly
// always with a record that names another formula or none: that is settled
// without the lock.  No other thread can be about to name this formula, as
// none is running it.
void forget_run_error_formula(const void *formula) {
    if (!formula || __atomic_load_n(&g_run_error.formula, __ATOMIC_RELAXED) != formula) return;
    std::lock_guard<std::mutex> lock(g_record_lock);
    if (g_run_error.formula != formula) return;
    g_run_error.formula = nullptr;
    g_run_error.formula_type = 0;
}

void forget_run_error_formulas() {
    std::lock_guard<std::mutex> lock(g_record_lock);
    g_run_error.formula = nullptr;
    g_run_error.formula_type = 0;
}

void clear_run_error() {
    std::lock_guard<std::mutex> lock(g_record_lock);
    write_record({});
}

}  // namespace tmx

extern "C" {

TM_API void TM_CALL GetRunErr(int *type, const char16_t **name, int *code, int *forType,
                              void **hFor) {
    tmx::RunErrorRecord e;
    {
        std::lock_guard<std::mutex> lock(tmx::g_record_lock);
        e = tmx::g_run_error;
        tmx::write_record({});
    }
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
    std::lock_guard<std::mutex> lock(tmx::g_record_lock);
    tmx::write_record({type, name, code, forType, hFor});
}

TM_API int TM_CALL TestRunErr(void) {
    return __atomic_load_n(&tmx::g_run_error.type, __ATOMIC_RELAXED);
}

}  // extern "C"
