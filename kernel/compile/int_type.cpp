// What the shared compiler needs to know about the integer type.
#include <cstring>

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

// Two's-complement negation with wrap-around, as the evaluator's OpNeg: the
// most negative value stays itself.  Unsigned arithmetic keeps it defined.
void int_negate(void *value) {
    uint64_t u;
    std::memcpy(&u, value, sizeof u);
    u = 0 - u;
    std::memcpy(value, &u, sizeof u);
}

void int_logical_not(void *value) { store(value, load(value) == 0 ? 1 : 0); }

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
