// What the rest of the kernel asks of the formula registry: the name tree's
// formulas, external functions, constants, shared variables and module
// records.  The exports built on it (SetFunction, GetFor, DeleteFor, ...) are
// defined in this directory too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../record.h"
#include "constant_cells.h"
#include "tamrix/tamrix.h"

namespace tmx {

// External function entry (name-tree types 4, 5, 6).
struct ExternalFunction {
    void *address;           // the function (TmIntFunction, ...)
    int32_t param_count;     // parameters minus one; below -1: any number
    ReferrerCell *referrers; // formulas that call it
    uint32_t index;          // its address-table index
    int8_t type;             // 4, 5 or 6
};

// A call target found by name resolution.
struct Callee {
    int kind;       // 7, 8, 9: integer, real, complex formula; 10: external
    uint32_t index; // address-table index of the formula or function
};

// --- lookups for the compilers (name = name[0..len), UTF-16) ----------------

// Value of the constant of `type` (7, 8, 9) with that name, or null.
const void *find_constant(int type, const char16_t *name, int32_t len);

// Address-table index of a shared cell of `type` (10, 11, 12): a module
// variable of module |module| (common = false) or a common variable (common =
// true).  Created zero-filled on first use.  0 when memory is exhausted.
uint32_t shared_cell(int type, int module, const char16_t *name, int32_t len, bool common);

// Resolves a called name in the order the compilers use: formulas of the
// three types visible from `module`, then external functions of `ext_type`
// (4, 5, 6).  False when nothing is found.
bool resolve_function(const char16_t *name, int32_t len, int module, int ext_type,
                      Callee *out);

// The module's list of used modules (set by "using"), null-terminated; null
// when there is none.
const char16_t *const *used_modules(int module);

// Compile error 29: whether a new formula `name` in `module` conflicts with an
// existing formula of any type.
bool name_conflicts(const char16_t *name, int32_t len, int module);

// Files a constant of `type` (7, 8, 9) under name[0..len) with the value at
// `value` (8 bytes, 16 for type 9), in the name's constant cell
// (constant_cells.h), which outlives the constant.  `origin` says who made it:
// the host's (SetConst) are the only ones DeleteConstOrFunction removes.
// Results as SetConst: 0 filed, 1 name exists for this type, 2 out of memory,
// 3 empty name, 4 bad type.
int file_constant(int type, const char16_t *name, size_t len, const void *value,
                  ConstantOrigin origin);

// --- the front end ----------------------------------------------------------

// Lock check of a compile call: false when the module is locked by another
// function than `lock`.
bool module_lock_allows(int module, TmLockFunction lock);
// Counts a new formula in its module's record (created with count 1 when
// missing).  False when memory is exhausted.
bool module_formula_added(int module);
// Enters `formula` in the referrer list of the callee at `callee_index`
// (for the first word of its callee range naming it that has no cell yet).
bool add_referrer(uint32_t callee_index, FormulaRecord *formula);
// Enters `formula` in the referrer list of every callee of its callee range.
// False (some entered, undone by discard_formula) when memory is exhausted or
// a callee is gone.
bool enter_referrers(FormulaRecord *formula);
// Files a compiled formula: under its name (front of the same-name list of
// its type) or at the front of its type's anonymous list.  False: no memory.
bool file_formula(FormulaRecord *formula);
// Undoes module_formula_added and enter_referrers for a formula whose filing
// failed, then frees it (no release pass).
void discard_formula(FormulaRecord *formula);

// --- lifecycle --------------------------------------------------------------

// Releases every anonymous formula and the whole name tree (FreeTamrix).
void registry_teardown();
// True while FreeTamrix is destroying formulas (the release pass is skipped).
extern bool g_in_teardown;

}  // namespace tmx
