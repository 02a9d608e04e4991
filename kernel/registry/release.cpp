// Releasing a formula: the release pass, then everything that points at it.
#include <cstring>

#include "../run_error.h"
#include "formulas.h"
#include "modules.h"
#include "registry.h"
#include "tamrix/tamrix.h"

namespace tmx {

// The registry reaches the evaluators through their exports, like any host:
// the formula's own data array is its argument array.
void release_pass_int(FormulaRecord *r) { IntCal(r, static_cast<int64_t *>(r->data)); }
void release_pass_real(FormulaRecord *r) { RealCal(r, static_cast<double *>(r->data)); }
void release_pass_complex(FormulaRecord *r) {
    ComplexCal(r, static_cast<TmComplex *>(r->data));
}

namespace {

ReleaseEvaluator g_evaluators[4] = {nullptr, release_pass_int, release_pass_real,
                                    release_pass_complex};

void set_free_marker(FormulaRecord *r, int32_t var) {
    unsigned char *slot = static_cast<unsigned char *>(r->data) + size_t(var) * slot_size(r->type);
    if (r->type == kTypeInteger) {
        int64_t one = 1;
        std::memcpy(slot, &one, sizeof one);
        return;
    }
    double one[2] = {1.0, 0.0};
    std::memcpy(slot, one, slot_size(r->type));
}

// A formula with a free marker gets one last run with the marker set to 1.
// One that may no longer run hands its statics to the static-release hook
// instead, so a library can free what they hold.
void run_release_pass(FormulaRecord *r) {
    const int32_t *h = r->header;
    int32_t free_var = h[kFreeVar];
    if (free_var <= 0 || free_var >= h[kDataLength] || !r->data) return;
    if (h[kCodeStart] >= 0) {
        ReleaseEvaluator evaluate = release_evaluator(r->type);
        if (!evaluate) return;
        set_free_marker(r, free_var);
        evaluate(r);
        return;
    }
    if (!g_static_release_hook) return;
    int32_t first = h[kFirstStatic] + 1; // the slot of `static` itself holds nothing
    int32_t count = free_var - first;
    if (first <= 0 || count < 0) return;
    void *statics = static_cast<unsigned char *>(r->data) + size_t(first) * slot_size(r->type);
    g_static_release_hook(statics, r->type, statics, count);
}

}  // namespace

void set_release_evaluator(int type, ReleaseEvaluator evaluate) {
    if (type >= 1 && type <= 3) g_evaluators[type] = evaluate;
}

ReleaseEvaluator release_evaluator(int type) {
    return type >= 1 && type <= 3 ? g_evaluators[type] : nullptr;
}

void release_formula(FormulaRecord *r) {
    if (!r) return;
    forget_run_error_formula(r);
    if (g_in_teardown || !r->header) {
        // The formulas and functions around it are going too: touch nothing
        // but this record's own storage.
        free_referrers(r->referrers);
        r->referrers = nullptr;
        forget_formula(r);
        destroy_record(r);
        return;
    }
    mark_releasing(r);
    run_release_pass(r);
    // The pass may have recorded an error naming the formula.
    forget_run_error_formula(r);
    forget_formula(r);
    revoke_formula_handle(r);
    module_formula_removed(r->header[kModuleNo]);

    ReferrerCell *referrers = r->referrers;
    r->referrers = nullptr;
    invalidate_referrers(referrers, uint32_t(r->header[kSelf]), kInvalidCalleeDeleted);
    leave_callees(r);
    destroy_record(r);
}

}  // namespace tmx
