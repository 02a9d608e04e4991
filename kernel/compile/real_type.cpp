// What the shared compiler needs to know about the real type.
#include <cstring>

#include "context.h"
#include "number_literals.h"
#include "tamrix/tamrix.h"

namespace tmx {

namespace {

double load(const void *slot) {
    double d;
    std::memcpy(&d, slot, sizeof d);
    return d;
}

void store(void *slot, double d) { std::memcpy(slot, &d, sizeof d); }

void real_from_index(void *out, int32_t index) { store(out, double(index)); }

void real_negate(void *value) { store(value, -load(value)); }

// NaN counts as non-zero, as in the evaluator's OpNot.
void real_logical_not(void *value) { store(value, load(value) == 0.0 ? 1.0 : 0.0); }

void real_evaluate(FormulaRecord *record, void *args, void *out) {
    store(out, RealCal(record, static_cast<double *>(args)));
}

}  // namespace

const TypeDesc kRealType = {
    .type = 2,
    .slot = 8,
    .builtins = &kRealBuiltins,
    .ext_type = 5,
    .const_type = 8,
    .shared_type = 11,
    .has_power = true,
    .has_remainder = false,
    .imaginary_unit = false,
    .lex_number = lex_real_number,
    .from_index = real_from_index,
    .negate = real_negate,
    .logical_not = real_logical_not,
    .evaluate = real_evaluate,
};

}  // namespace tmx
