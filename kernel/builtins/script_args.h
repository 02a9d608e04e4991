// Arguments of registered built-ins that are not plain numbers: names passed
// as string literals of the calling formula, and numbers that carry integers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../record.h"
#include "tamrix/tamrix.h"

namespace tmx {

// A name argument is the word index of a string literal in the calling
// formula's string area.  It is accepted only when it lies in
// [FirstString, CodeStart/2 - 1] and a NUL ends the text before the
// instructions begin; the text is then left in place (it lives as long as the
// caller).  False for anything else, including a context that names no live
// formula: the text is never read then.
bool string_argument(const TmCallContext *ctx, int64_t index, const char16_t **text,
                     size_t *len);

// The calling formula of a context, if the kernel knows it.
FormulaRecord *calling_formula(const TmCallContext *ctx);

// The formula of `type` (1, 2, 3) a built-in means by a name, as seen from
// the caller's module: the caller's own module first, else the public one
// met last; a qualified name A::B::f through module names.  Null if none.
FormulaRecord *named_formula(const char16_t *name, size_t len, int type,
                             const TmCallContext *ctx);

}  // namespace tmx
