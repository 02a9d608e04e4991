// What the shared compiler needs to know about the integer type.
#include <cstring>

#include "../eval/int_math.h"
#include "context.h"
#include "number_literals.h"
#include "tamrix/tamrix.h"

namespace tmx {

namespace {

int64_t load(const void *slot) {
    int64_t v;
    std::memcpy(&v, slot, sizeof v);
    return v;
}

void store(void *slot, int64_t v) { std::memcpy(slot, &v, sizeof v); }

void int_from_index(void *out, int32_t index) { store(out, index); }

// The evaluator's OpNeg and OpNot, so that a folded "-" or "!" has its bits
// (negation wraps: the most negative value stays itself).
void int_negate(void *value) { store(value, IntMath::neg(load(value))); }
void int_logical_not(void *value) { store(value, IntMath::negation(load(value))); }

void int_evaluate(FormulaRecord *record, void *args, void *out) {
    store(out, IntCal(record, static_cast<int64_t *>(args)));
}

}  // namespace

const TypeDesc kIntType = {
    .type = 1,
    .slot = 8,
    .builtins = &kIntBuiltins,
    .ext_type = 4,
    .const_type = 7,
    .shared_type = 10,
    .has_power = false,
    .has_remainder = true,
    .imaginary_unit = false,
    .lex_number = lex_int_number,
    .from_index = int_from_index,
    .negate = int_negate,
    .logical_not = int_logical_not,
    .evaluate = int_evaluate,
};

}  // namespace tmx
