// What the shared compiler needs to know about the real type.
#include <cstring>

#include "../eval/real_math.h"
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

// The evaluator's OpNeg and OpNot, so that a folded "-" or "!" has its bits.
void real_negate(void *value) { store(value, RealMath::neg(load(value))); }
void real_logical_not(void *value) { store(value, RealMath::negation(load(value))); }

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
