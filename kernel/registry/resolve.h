// Name resolution shared by the compilers and GetFor.
#pragma once

#include <cstddef>

#include "../record.h"

namespace tmx {

// The formula a plain call of `name` from `module` reaches: in the integer,
// real and complex same-name lists in that order, a formula of the caller's
// own module at once; otherwise the public formula met last.  Null if none.
FormulaRecord *visible_formula(const char16_t *name, size_t len, int module);

// visible_formula, then a qualified name through module names
// (qualified_formula), then the same two for M::name for every module M the
// caller's module uses, in the order of its list.
FormulaRecord *resolve_formula(const char16_t *name, size_t len, int module);

}  // namespace tmx
