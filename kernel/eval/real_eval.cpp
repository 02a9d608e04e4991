// The real evaluator's byte-code interpreter and RealCal.
//
// Real formulas normally run from their fast form (real_fast.cpp); the byte
// code runs here when the trace is on or when a record has no fast form.
// The loop itself is the one of all three types (typed_loop.h); this file
// gives it what is real about reals: IEEE arithmetic without run errors, `^`
// as the power, the real built-ins and the real external-function call.
#include <cmath>
#include <cstdint>

#include "../opcodes.h"
#include "../record.h"
#include "../registry/registry.h"
#include "../run_error.h"
#include "conversions.h"
#include "native_guard.h"
#include "real_fast.h"
#include "real_math.h"
#include "string_area.h"
#include "tamrix/tamrix.h"
#include "typed_loop.h"
#include "value_stacks.h"

namespace tmx {

namespace {

constexpr int kReal = kTypeReal;

}  // namespace

struct RealOps : RealMath {
    static constexpr unsigned kHighest = kRealShape.highest();
    static constexpr unsigned kFirstBinary = kRealShape.first_binary();

    static ValueStack<double> &stack() { return g_real_stack; }
    static double div(FormulaRecord *, double a, double b) { return RealMath::div(a, b); }
    // OpPow is the power in real formulas.
    static double rem_or_pow(FormulaRecord *, double a, double b) { return RealMath::pow(a, b); }

    static double unary(FormulaRecord *rec, uint8_t byte, double t) {
        switch (byte - kFirstBuiltin) {
        case real_op::return_: return RealMath::sqrt(t); // never emitted; runs as sqrt
#define TM_REAL_UNARY_CASE(name)                                                     \
    case real_op::name##_: return RealMath::name(t);
            TM_REAL_PURE_UNARY(TM_REAL_UNARY_CASE)
#undef TM_REAL_UNARY_CASE
        case real_op::getc_: case real_op::getw_: case real_op::getn_:
            return string_get_at<RealMath>(rec, kRealBuiltins.names, byte - kFirstBuiltin,
                                           real_op::getc_, t);
        default: return t;
        }
    }

    static double binary(FormulaRecord *rec, uint8_t byte, double a, double b) {
        switch (byte - kFirstBuiltin) {
#define TM_REAL_BINARY_CASE(name)                                                    \
    case real_op::name##_: return RealMath::name(a, b);
            TM_REAL_PURE_BINARY(TM_REAL_BINARY_CASE)
#undef TM_REAL_BINARY_CASE
        case real_op::setc_: case real_op::setw_: case real_op::setn_:
            return string_set_at<RealMath>(rec, kRealBuiltins.names, byte - kFirstBuiltin,
                                           real_op::setc_, a, b);
        default: return a;
        }
    }

    static double call_external(FormulaRecord *rec, void *fn, int32_t m, double *slot) {
        TmCallContext ctx = {kReal, rec};
        auto *ext = static_cast<ExternalFunction *>(fn);
        return reinterpret_cast<TmRealFunction>(ext->address)(m, slot, &ctx);
    }

    // Without the trace a real callee runs from its fast form when it has one.
    static double enter_own(FormulaRecord *callee, double *slot) {
        return enter_real(callee, slot, true);
    }
};

static_assert(RealOps::kHighest == 74, "the real built-ins end at byte 74");
static_assert(RealOps::kFirstBinary == 67, "\"atan2\" is the first two-operand real built-in");

double interpret_real_first(FormulaRecord *rec, double *args) {
    return run_typed<RealOps, false, false>(rec, args);
}

double interpret_real_nested(FormulaRecord *rec, double *args) {
    return run_typed<RealOps, false, true>(rec, args);
}

// RealCal on no formula.
[[gnu::cold, gnu::noinline]] double real_cal_without_formula() {
    record_run_error(kTypeReal, u"RealCal", 0, kTypeReal, nullptr);
    return 0.0;
}

// RealCal with the trace on: every activation runs on the byte code, which is
// what the trace reports.
[[gnu::cold, gnu::noinline]] double real_cal_traced(FormulaRecord *rec, double *args) {
    prepare_native_stack_floor();
    const bool nested = rec->code[0] != kIdle;
    return nested ? run_typed<RealOps, true, true>(rec, args)
                  : run_typed<RealOps, true, false>(rec, args);
}

}  // namespace tmx

// The record's entry (FormulaRecord::entry) already knows the formula's state:
// straight to native code or a straight-line runner, or to the general entry.
// The trace is the one fact it does not know; it is rarely on, and testing it
// here costs one load that stays in the cache.
extern "C" TM_API double TM_CALL RealCal(void *hFor, double *args) {
    auto *rec = static_cast<tmx::FormulaRecord *>(hFor);
    if (!rec) [[unlikely]]
        return tmx::real_cal_without_formula();
    if (tmx::g_trace_enabled) [[unlikely]]
        return tmx::real_cal_traced(rec, args);
    return rec->entry(args ? args : static_cast<double *>(rec->data), rec);
}
