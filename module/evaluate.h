// Evaluating a parameterless formula of any type.
#pragma once

#include <cstdint>

#include "ext/protocol/kernel_binding.h"

namespace modlib {

struct FormulaValue {
    int type = 0;  // 1 integer, 2 real, 3 complex
    int64_t integer = 0;
    double real = 0;
    TmComplex complex{0, 0};
};

// Runs the formula with a zeroed scratch argument area: the formulas run
// here take no parameters, but the evaluator is still handed a valid area.
FormulaValue evaluate_formula(const extproto::KernelExports &kernel, int type, void *hFor);

}  // namespace modlib
