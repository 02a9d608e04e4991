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

[[gnu::cold, gnu::noinline]] void fail(FormulaRecord *rec, const char16_t *name) {
    record_run_error(kReal, name, 0, kReal, rec);
}

const char16_t *builtin_name(int position) { return kRealBuiltins.names[position]; }

// get*: the top is the index and becomes the value; a bad index records an
// error and leaves the index on the stack.
double string_get(FormulaRecord *rec, int position, StringUnit unit, double t) {
    int32_t i = trunc_to_i32(t);
    if (!string_index_valid(i, rec->header[kCodeStart], unit)) {
        fail(rec, builtin_name(position));
        return t;
    }
    switch (unit) {
    case kUnitByte: return read_string_byte(rec->code, i);
    case kUnitWord: return read_string_word(rec->code, i);
    default: return read_string_cell<double>(rec->code, i);
    }
}

// set*(a, t): stores t at index a; the result is a either way.
double string_set(FormulaRecord *rec, int position, StringUnit unit, double a, double t) {
    int32_t i = trunc_to_i32(a);
    if (!string_index_valid(i, rec->header[kCodeStart], unit)) {
        fail(rec, builtin_name(position));
        return a;
    }
    switch (unit) {
    case kUnitByte: write_string_byte(rec->code, i, uint8_t(trunc_to_i32(t))); break;
    case kUnitWord: write_string_word(rec->code, i, uint16_t(trunc_to_i32(t))); break;
    default: write_string_cell(rec->code, i, t); break;
    }
    return a;
}

}  // namespace

struct RealOps {
    using Slot = double;
    static constexpr int kType = kReal;
    static constexpr unsigned kHighest = kRealShape.highest();
    static constexpr unsigned kFirstBinary = kRealShape.first_binary();

    static ValueStack<double> &stack() { return g_real_stack; }
    // Comparisons with a NaN are false, except "not equal"; a NaN is a true
    // value.
    static double key(double v) { return v; }
    static double truth_value(bool t, double) { return t ? 1.0 : 0.0; }
    static double zero() { return 0.0; }

    static double add(double a, double b) { return a + b; }
    static double sub(double a, double b) { return a - b; }
    static double mul(double a, double b) { return a * b; }
    static double neg(double t) { return -t; }
    static double step_up(double v) { return v + 1.0; }
    static double step_down(double v) { return v - 1.0; }
    static double div(FormulaRecord *, double a, double b) { return a / b; }
    // OpPow is the power in real formulas.
    static double rem_or_pow(FormulaRecord *, double a, double b) { return std::pow(a, b); }

    static double unary(FormulaRecord *rec, uint8_t byte, double t) {
        switch (byte - kFirstBuiltin) {
        case real_op::return_: // never emitted; runs as sqrt
        case real_op::sqrt_: return std::sqrt(t);
        case real_op::exp_: return std::exp(t);
        case real_op::ln_: return std::log(t);
        case real_op::lg_: return std::log10(t);
        case real_op::sin_: return std::sin(t);
        case real_op::cos_: return std::cos(t);
        case real_op::tan_: return std::tan(t);
        case real_op::asin_: return std::asin(t);
        case real_op::acos_: return std::acos(t);
        case real_op::atan_: return std::atan(t);
        case real_op::sinh_: return std::sinh(t);
        case real_op::cosh_: return std::cosh(t);
        case real_op::tanh_: return std::tanh(t);
        case real_op::abs_: return std::fabs(t);
        case real_op::floor_: return std::floor(t);
        case real_op::ceil_: return std::ceil(t);
        case real_op::itor_: return real_math::itor(t);
        case real_op::rtoi_: return real_math::rtoi(t);
        case real_op::getc_: return string_get(rec, real_op::getc_, kUnitByte, t);
        case real_op::getw_: return string_get(rec, real_op::getw_, kUnitWord, t);
        case real_op::getn_: return string_get(rec, real_op::getn_, kUnitCell, t);
        default: return t;
        }
    }

    static double binary(FormulaRecord *rec, uint8_t byte, double a, double b) {
        switch (byte - kFirstBuiltin) {
        case real_op::atan2_: return std::atan2(a, b);
        case real_op::fmod_: return std::fmod(a, b);
        case real_op::sign_: return real_math::sign(a, b);
        case real_op::dim_: return real_math::dim(a, b);
        case real_op::padd_: return real_math::padd(a, b);
        case real_op::setc_: return string_set(rec, real_op::setc_, kUnitByte, a, b);
        case real_op::setw_: return string_set(rec, real_op::setw_, kUnitWord, a, b);
        case real_op::setn_: return string_set(rec, real_op::setn_, kUnitCell, a, b);
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
