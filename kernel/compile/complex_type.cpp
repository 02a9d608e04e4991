// What the shared compiler needs to know about the complex type.  A slot is
// two doubles, real part first.
#include <cstring>

#include "../eval/complex_math.h"
#include "context.h"
#include "number_literals.h"
#include "tamrix/tamrix.h"

namespace tmx {

namespace {

TmComplex load(const void *slot) {
    TmComplex z;
    std::memcpy(&z, slot, sizeof z);
    return z;
}

void store(void *slot, TmComplex z) { std::memcpy(slot, &z, sizeof z); }

// A number literal is a real literal; the lexer turns it into an imaginary
// constant when i or I follows.
TmCompileResult complex_lex_number(const char16_t *src, int32_t start, int32_t *last, void *out) {
    TmComplex z = {0.0, 0.0};
    TmCompileResult rc = lex_real_number(src, start, last, &z.re);
    if (rc == TM_CE_OK) store(out, z);
    return rc;
}

void complex_from_index(void *out, int32_t index) { store(out, {double(index), 0.0}); }

// The evaluator's OpNeg and OpNot, so that a folded "-" or "!" has its bits
// (OpNot writes the real part only and keeps the imaginary part).
void complex_negate(void *value) { store(value, ComplexMath::neg(load(value))); }
void complex_logical_not(void *value) { store(value, ComplexMath::negation(load(value))); }

void complex_evaluate(FormulaRecord *record, void *args, void *out) {
    store(out, ComplexCal(record, static_cast<TmComplex *>(args)));
}

}  // namespace

const TypeDesc kComplexType = {
    .type = 3,
    .slot = 16,
    .builtins = &kComplexBuiltins,
    .ext_type = 6,
    .const_type = 9,
    .shared_type = 12,
    .has_power = true,
    .has_remainder = false,
    .imaginary_unit = true,
    .lex_number = complex_lex_number,
    .from_index = complex_from_index,
    .negate = complex_negate,
    .logical_not = complex_logical_not,
    .evaluate = complex_evaluate,
};

}  // namespace tmx
