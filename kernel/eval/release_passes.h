// The release pass of integer and complex formulas: the evaluation the
// registry runs once, with the free marker set, when a formula is deleted.
// Each evaluator plugs its own into the registry when the kernel is loaded;
// code that replaces them (tests) can put these back.
#pragma once

#include "../record.h"

namespace tmx {

void release_pass_int(FormulaRecord *r);
void release_pass_complex(FormulaRecord *r);

}  // namespace tmx
