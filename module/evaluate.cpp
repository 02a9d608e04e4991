#include "evaluate.h"

namespace modlib {

namespace {

// Enough slots of the widest type for any formula run without arguments.
union ScratchArguments {
    int64_t integers[4];
    double reals[4];
    TmComplex complexes[4];
};

}  // namespace

FormulaValue evaluate_formula(const extproto::KernelExports &kernel, int type, void *hFor) {
    ScratchArguments scratch{};
    FormulaValue value;
    value.type = type;
    switch (type) {
    case TM_INTEGER: value.integer = kernel.IntCal(hFor, scratch.integers); break;
    case TM_REAL: value.real = kernel.RealCal(hFor, scratch.reals); break;
    case TM_COMPLEX: value.complex = kernel.ComplexCal(hFor, scratch.complexes); break;
    default: value.type = 0; break;
    }
    return value;
}

}  // namespace modlib
