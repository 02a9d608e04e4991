// Registry internals around compiled formulas: which handles are live, the
// formula lists, referrer bookkeeping, the release of a formula, and the
// 32-bit handles that scripts carry in numbers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../record.h"
#include "name_tree.h"

namespace tmx {

// --- live formulas --------------------------------------------------------
// A handle from outside (an export argument, a call context) is trusted only
// once it is found here: filed formulas, from file_formula until release.

// The filed formula at `handle` if its type is `type` (any type when 0), or
// null.  Never dereferences an unknown pointer.
FormulaRecord *live_formula(const void *handle, int type = 0);
// As live_formula, but also accepts a formula during its release pass (it
// still runs then, and its external functions still ask about it).
FormulaRecord *reachable_formula(const void *handle);

// --- lists ----------------------------------------------------------------

// Length in characters of the formula's name, bounded by its code array.
size_t name_length(const FormulaRecord *r);
// Head of the same-name list of `type` (1, 2, 3) for a name, or null.
FormulaRecord *same_name_list(int type, const char16_t *name, size_t len);
// Head of the type's anonymous list.
FormulaRecord *anonymous_list(int type);

// The callee reference list: header[first .. last], bounds-checked.
struct CalleeRange {
    int32_t *begin;
    int32_t *end;
};
CalleeRange callee_range(const FormulaRecord *r);

// Invalidates every formula of a referrer list (CodeStart = code), clears
// the callee word naming `callee_index` in each, and frees the list.
void invalidate_referrers(ReferrerCell *list, uint32_t callee_index, int32_t code);
// Frees a referrer list without touching the formulas in it (teardown).
void free_referrers(ReferrerCell *list);
// Removes the formula from the referrer list of every callee it names.
void leave_callees(FormulaRecord *r);

// --- release --------------------------------------------------------------

// Releases a formula already taken out of its list: the release pass, its
// handle registration, its module count, its referrers and callees, then the
// record.  During teardown only the record and its own cells are freed.
void release_formula(FormulaRecord *r);

// The release pass evaluates the formula once through the evaluator of its
// type: these three by default.  Tests replace them to watch the pass and
// put these back.
using ReleaseEvaluator = void (*)(FormulaRecord *r);
void release_pass_int(FormulaRecord *r);
void release_pass_real(FormulaRecord *r);
void release_pass_complex(FormulaRecord *r);
void set_release_evaluator(int type, ReleaseEvaluator evaluate);
ReleaseEvaluator release_evaluator(int type);

// Marks the formula as being released / no longer known.
void mark_releasing(FormulaRecord *r);
void forget_formula(FormulaRecord *r);

// --- handles carried in numbers (type 16) ---------------------------------
// The handle is the formula's address-table index; the entry's key is its 4
// bytes, low byte first, and its data the formula's type code.

// Registers the formula's handle and sets kFlagHandleIssued; 0 when memory
// is exhausted.
uint32_t issue_formula_handle(FormulaRecord *r);
// The live formula a handle names if it was registered with `type`, or null.
FormulaRecord *formula_from_handle(uint32_t handle, int type);
// Removes the formula's handle registration, if any.
void revoke_formula_handle(FormulaRecord *r);

}  // namespace tmx
