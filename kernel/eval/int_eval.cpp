// The integer evaluator: IntCal.
//
// Values are signed 64-bit integers; arithmetic wraps (int_math.h).  The
// only run error of its own is a division or remainder by zero, which keeps
// the dividend.  The loop itself is typed_loop.h's.
#include <cstdint>

#include "../opcodes.h"
#include "../record.h"
#include "../registry/formulas.h"
#include "../registry/registry.h"
#include "../run_error.h"
#include "int_math.h"
#include "string_area.h"
#include "tamrix/tamrix.h"
#include "typed_loop.h"
#include "value_stacks.h"

namespace tmx {

namespace {

constexpr int kInteger = kTypeInteger;

[[gnu::cold, gnu::noinline]] void fail(FormulaRecord *rec, const char16_t *name) {
    record_run_error(kInteger, name, 0, kInteger, rec);
}

struct IntOps : IntMath {
    static constexpr unsigned kHighest = kIntShape.highest();
    static constexpr unsigned kFirstBinary = kIntShape.first_binary();

    static ValueStack<int64_t> &stack() { return g_int_stack; }

    // A zero divisor pops b and leaves a.
    static int64_t div(FormulaRecord *rec, int64_t a, int64_t b) {
        if (b == 0) [[unlikely]] {
            fail(rec, u"Integer division by zero");
            return a;
        }
        return IntMath::quotient(a, b);
    }
    // OpPow is the remainder in integer formulas.
    static int64_t rem_or_pow(FormulaRecord *rec, int64_t a, int64_t b) {
        if (b == 0) [[unlikely]] {
            fail(rec, u"Integer division by zero");
            return a;
        }
        return IntMath::remainder(a, b);
    }

    static int64_t unary(FormulaRecord *rec, uint8_t byte, int64_t t) {
        switch (byte - kFirstBuiltin) {
        case int_op::return_: // never emitted; runs as abs
        case int_op::abs_: return IntMath::abs(t);
        case int_op::not_: return IntMath::bit_not(t);
        case int_op::itor_: return IntMath::itor(t);
        case int_op::rtoi_: return IntMath::rtoi(t);
        case int_op::itop_: return IntMath::itop(t);
        case int_op::ptoi_: return IntMath::ptoi(t);
        case int_op::getc_: case int_op::getw_: case int_op::getn_:
            return string_get_at<IntMath>(rec, kIntBuiltins.names, byte - kFirstBuiltin,
                                          int_op::getc_, t);
        default: return t;
        }
    }

    static int64_t binary(FormulaRecord *rec, uint8_t byte, int64_t a, int64_t b) {
        switch (byte - kFirstBuiltin) {
        case int_op::or_: return IntMath::bit_or(a, b);
        case int_op::and_: return IntMath::bit_and(a, b);
        case int_op::xor_: return IntMath::bit_xor(a, b);
        case int_op::shl_: return IntMath::shl(a, b);
        case int_op::shr_: return IntMath::shr(a, b);
        case int_op::padd_: return IntMath::padd(a, b);
        case int_op::setc_: case int_op::setw_: case int_op::setn_:
            return string_set_at<IntMath>(rec, kIntBuiltins.names, byte - kFirstBuiltin,
                                          int_op::setc_, a, b);
        default: return a;
        }
    }

    static int64_t call_external(FormulaRecord *rec, void *fn, int32_t m, int64_t *slot) {
        TmCallContext ctx = {kInteger, rec};
        auto *ext = static_cast<ExternalFunction *>(fn);
        return reinterpret_cast<TmIntFunction>(ext->address)(m, slot, &ctx);
    }
};

static_assert(IntOps::kHighest == 63, "the integer built-ins end at byte 63");
static_assert(IntOps::kFirstBinary == 55, "\"or\" is the first two-operand integer built-in");

}  // namespace

}  // namespace tmx

extern "C" TM_API int64_t TM_CALL IntCal(void *hFor, int64_t *args) {
    return tmx::evaluate_typed<tmx::IntOps>(hFor, args, u"IntCal");
}
