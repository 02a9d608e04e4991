// The complex evaluator: ComplexCal.
//
// Values are pairs of doubles, real part first.  Arithmetic follows IEEE
// rules without run errors (complex_math.h).  Comparisons, logic and every
// truth test look at real parts only; a truth value goes into the real part
// and the left operand's imaginary part stays beside it.  Increments change
// the real part.  The loop itself is typed_loop.h's.
#include <bit>
#include <cmath>
#include <cstdint>

#include "../opcodes.h"
#include "../record.h"
#include "../registry/formulas.h"
#include "../registry/registry.h"
#include "../run_error.h"
#include "complex_math.h"
#include "conversions.h"
#include "string_area.h"
#include "tamrix/tamrix.h"
#include "typed_loop.h"
#include "value_stacks.h"

namespace tmx {

namespace {

constexpr int kComplex = kTypeComplex;

struct ComplexOps : ComplexMath {
    static constexpr unsigned kHighest = kComplexShape.highest();
    static constexpr unsigned kFirstBinary = kComplexShape.first_binary();

    static ValueStack<TmComplex> &stack() { return g_complex_stack; }
    static TmComplex div(FormulaRecord *, TmComplex a, TmComplex b) {
        return ComplexMath::div(a, b);
    }
    static TmComplex rem_or_pow(FormulaRecord *, TmComplex a, TmComplex b) {
        return ComplexMath::pow(a, b);
    }

    static TmComplex unary(FormulaRecord *rec, uint8_t byte, TmComplex t) {
        switch (byte - kFirstBuiltin) {
        case complex_op::return_: // never emitted; runs as sqrt
        case complex_op::sqrt_: return ComplexMath::sqrt(t);
        case complex_op::exp_: return ComplexMath::exp(t);
        case complex_op::ln_: return ComplexMath::ln(t);
        case complex_op::sin_: return ComplexMath::sin(t);
        case complex_op::cos_: return ComplexMath::cos(t);
        case complex_op::abs_: return ComplexMath::abs(t);
        case complex_op::floor_: return ComplexMath::floor(t);
        case complex_op::ceil_: return ComplexMath::ceil(t);
        case complex_op::con_: return ComplexMath::con(t);
        case complex_op::xy_: return ComplexMath::xy(t);
        case complex_op::x0_: return ComplexMath::x0(t);
        case complex_op::y0_: return ComplexMath::y0(t);
        case complex_op::itor_: return ComplexMath::itor(t);
        case complex_op::rtoi_: return ComplexMath::rtoi(t);
        case complex_op::getc_: case complex_op::getw_: case complex_op::getn_:
            return string_get_at<ComplexMath>(rec, kComplexBuiltins.names, byte - kFirstBuiltin,
                                              complex_op::getc_, t);
        default: return t;
        }
    }

    static TmComplex binary(FormulaRecord *rec, uint8_t byte, TmComplex a, TmComplex b) {
        switch (byte - kFirstBuiltin) {
        case complex_op::setc_: case complex_op::setw_: case complex_op::setn_:
            return string_set_at<ComplexMath>(rec, kComplexBuiltins.names, byte - kFirstBuiltin,
                                              complex_op::setc_, a, b);
        default: return a;
        }
    }

    // Complex external functions return through a result pointer.  One that
    // writes nothing yields 0.
    static TmComplex call_external(FormulaRecord *rec, void *fn, int32_t m, TmComplex *slot) {
        TmCallContext ctx = {kComplex, rec};
        auto *ext = static_cast<ExternalFunction *>(fn);
        TmComplex r = {0.0, 0.0};
        reinterpret_cast<TmComplexFunction>(ext->address)(&r, m, slot, &ctx);
        return r;
    }
};

static_assert(ComplexOps::kHighest == 65, "the complex built-ins end at byte 65");
static_assert(ComplexOps::kFirstBinary == 63, "\"setc\" is the first two-operand complex built-in");

}  // namespace

}  // namespace tmx

extern "C" TM_API TmComplex TM_CALL ComplexCal(void *hFor, TmComplex *args) {
    return tmx::evaluate_typed<tmx::ComplexOps>(hFor, args, u"ComplexCal");
}
