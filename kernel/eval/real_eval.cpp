// The real evaluator: RealCal.
//
// One switch over the instruction byte per instruction.  The streams are
// walked with raw pointers (ip: instruction bytes, op: integer operands, cp:
// constants, sp: evaluation stack top); jumps set them from the positions in
// their operands.  The loop is instantiated per kind of activation (first or
// nested, see activation.h) and with or without the instruction trace;
// RealCal picks one per activation, so neither the trace nor the nested
// frame bookkeeping costs a plain first activation anything.
//
// A computed-goto dispatch was measured with GCC 12 and lost (its register
// allocation over the merged dispatch block costs more than the threaded
// jumps save), so the switch stays.
//
// Run errors never stop straight-line code: an instruction that fails records
// its error (unless one is pending) and leaves a neutral value; only loop
// tests and OpContinue look at pending errors.
#include <bit>
#include <cmath>
#include <cstring>

#include "../address_table.h"
#include "../disasm.h"
#include "../jit/jit.h"
#include "../opcodes.h"
#include "../record.h"
#include "../registry/registry.h"
#include "../run_error.h"
#include "activation.h"
#include "conversions.h"
#include "cross_calls.h"
#include "real_fast.h"
#include "real_math.h"
#include "string_area.h"
#include "tamrix/tamrix.h"
#include "value_stacks.h"

namespace tmx {

namespace {

constexpr int kReal = 2;
constexpr unsigned kHighestReal = kFirstBuiltin + real_op::count_ - 1;

const char16_t *builtin_name(int builtin_position) {
    return kRealBuiltins.names[builtin_position];
}

[[gnu::cold, gnu::noinline]] void fail(FormulaRecord *rec, const char16_t *name) {
    record_run_error(kReal, name, 0, kReal, rec);
}

// A call made after something this formula calls was deleted while it ran.
[[gnu::cold, gnu::noinline]] double callee_gone(FormulaRecord *rec) {
    record_run_error(-rec->header[kCodeStart], nullptr, 0, kReal, rec);
    return 0.0;
}

// --- built-ins that need more than one library call ---------------------------

using real_math::dim;
using real_math::itor;
using real_math::padd;
using real_math::rtoi;
using real_math::sign;

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
void string_set(FormulaRecord *rec, int position, StringUnit unit, double a, double t) {
    int32_t i = trunc_to_i32(a);
    if (!string_index_valid(i, rec->header[kCodeStart], unit)) {
        fail(rec, builtin_name(position));
        return;
    }
    switch (unit) {
    case kUnitByte: write_string_byte(rec->code, i, uint8_t(trunc_to_i32(t))); break;
    case kUnitWord: write_string_word(rec->code, i, uint16_t(trunc_to_i32(t))); break;
    default: write_string_cell(rec->code, i, t); break;
    }
}

// --- external functions ---------------------------------------------------------

double call_external(FormulaRecord *rec, uint32_t index, int32_t m, double *slot) {
    auto *ext = static_cast<ExternalFunction *>(address_at(index));
    TmCallContext ctx = {kReal, rec};
    return reinterpret_cast<TmRealFunction>(ext->address)(m, slot, &ctx);
}

// --- the loop -------------------------------------------------------------------

template <bool Trace, bool Nested> double real_cal(FormulaRecord *rec, double *args);

// Without the trace a callee runs from its fast form when it has one.
template <bool Trace> double call_real(FormulaRecord *callee, double *slot) {
    if constexpr (!Trace) return enter_real(callee, slot, true);
    if (callee->code[0] == kIdle) return real_cal<Trace, false>(callee, slot);
    // A running callee re-enters with its parameters left in our stack.
    g_real_stack.copy_args = 0;
    return real_cal<Trace, true>(callee, slot);
}

// The top of the evaluation stack is cached in `top`, written through to the
// slot as well: the stack in memory is always complete (calls, jumps and
// write-back lists work on it directly), while a chain of arithmetic passes
// its intermediate results in a register instead of through a store and a
// load per instruction.  Invariant: top == *sp whenever sp >= sb.
template <bool Trace, bool Nested> double real_cal(FormulaRecord *rec, double *args) {
    Frame<double, Nested> a;
    if constexpr (Nested) {
        if (!begin_nested(rec, args, g_real_stack, kReal, a)) return 0.0;
    } else {
        if (!begin_first(rec, args, g_real_stack, kReal, a)) return 0.0;
    }

    uint8_t *const code = a.code;
    const int32_t *const header = a.header;
    double *const data = a.data;
    double *const sb = a.stack_base;
    const uint8_t *ip = code + a.code_start;
    const int32_t *op = header + kOperandStart;
    const double *cp = data + a.var_count;
    double *sp = sb - 1;
    double top = 0.0;
    double result;

    // Stack access.  Every write to the top goes through set_top or push.
    auto push = [&](double v) {
        top = v;
        *++sp = v;
    };
    auto set_top = [&](double v) {
        top = v;
        *sp = v;
    };
    auto pop = [&]() { return *--sp; }; // the new top, after dropping the old
    // After sp moved to a slot whose value is not in `top`.  An empty stack
    // has no top to load.
    auto reload = [&]() {
        if (sp >= sb) top = *sp;
    };
    // Operand readers.  Each consumes its words from the operand stream.
    auto var = [&]() -> double & { return a.var(*op++); };
    auto cell = [&]() -> double & { return *static_cast<double *>(address_at(uint32_t(*op++))); };
    auto count = [&]() { return *op++; };
    auto skip = [&](int words) { op += words; };
    // Jump operands: code, const[, slot], int, in this order in the stream.
    auto jump = [&]() {
        const int32_t to_code = op[0], to_const = op[1], to_int = op[2];
        ip = code + to_code;
        cp = data + to_const;
        op = header + to_int;
    };
    auto jump_with_slot = [&]() {
        const int32_t to_code = op[0], to_const = op[1], to_slot = op[2], to_int = op[3];
        ip = code + to_code;
        cp = data + to_const;
        sp = sb + to_slot;
        op = header + to_int;
        reload();
    };
    // slot[top-n] = top; pop n.
    auto keep_top_drop = [&](int32_t n) {
        sp -= n;
        *sp = top;
    };
    // The registry invalidates a formula (negative CodeStart) when something
    // it calls is deleted, possibly while it runs; its callees may be gone.
    auto callees_valid = [&]() { return header[kCodeStart] >= 0; };
    auto formula_at = [](int32_t index) {
        return static_cast<FormulaRecord *>(address_at(uint32_t(index)));
    };
    // After the callee returned: skip {callee, m}, run the write-back list,
    // then store the result over the first argument.
    auto finish_call = [&](double *slot, double r) {
        skip(2);
        sp = slot;
        ip = write_back(ip, op, slot, a);
        set_top(r);
    };
    // Pops b (the cached top); a (the new top) receives the result.
#define TM_BINARY(expr)                                                               \
    {                                                                                 \
        const double b_ = top;                                                        \
        const double a_ = pop();                                                      \
        set_top(expr);                                                                \
        break;                                                                      \
    }
#define TM_UNARY(fn)                                                                  \
    set_top(fn(top));                                                                 \
    break;

#define TM_BUILTIN(name) case kFirstBuiltin + real_op::name##_

    for (;;) {
        if constexpr (Trace) trace_instruction(rec, kReal, ip, op, cp, sb, sp);
        switch (*ip++) {
        case OpReturn:
            result = sp >= sb ? top : empty_stack_result<double, Nested>(sp, data);
            goto done;
        case OpPushConst: push(*cp++); break;
        case OpPushVar: push(var()); break;
        case OpPushCommon: push(cell()); break;
        case OpAdd: TM_BINARY(a_ + b_)
        case OpSub: TM_BINARY(a_ - b_)
        case OpMul: TM_BINARY(a_ * b_)
        case OpDiv: TM_BINARY(a_ / b_)
        case OpPow: TM_BINARY(std::pow(a_, b_))
        // Comparisons with a NaN are false, except "not equal".
        case OpGt: TM_BINARY(a_ > b_ ? 1.0 : 0.0)
        case OpGe: TM_BINARY(a_ >= b_ ? 1.0 : 0.0)
        case OpLt: TM_BINARY(a_ < b_ ? 1.0 : 0.0)
        case OpLe: TM_BINARY(a_ <= b_ ? 1.0 : 0.0)
        case OpEq: TM_BINARY(a_ == b_ ? 1.0 : 0.0)
        case OpNe: TM_BINARY(a_ != b_ ? 1.0 : 0.0)
        // A NaN is a true value.
        case OpAnd: TM_BINARY(a_ != 0 && b_ != 0 ? 1.0 : 0.0)
        case OpOr: TM_BINARY(a_ != 0 || b_ != 0 ? 1.0 : 0.0)
        case OpNot: set_top(top == 0 ? 1.0 : 0.0); break;
        case OpStoreVar: var() = top; break;
        case OpStoreCommon: cell() = top; break;

        // Calls: the arguments end at the top; the callee gets the address of
        // the first (or of a fresh result slot) and its result lands there
        // after the write-back list has run.
        case OpCallReal: {
            double *slot = call_slot(sp, op[1]);
            double r = callees_valid() ? call_real<Trace>(formula_at(op[0]), slot)
                                       : callee_gone(rec);
            finish_call(slot, r);
            break;
        }
        case OpCallExternal: {
            double *slot = call_slot(sp, op[1]);
            double r = callees_valid() ? call_external(rec, uint32_t(op[0]), op[1], slot)
                                       : callee_gone(rec);
            finish_call(slot, r);
            break;
        }
        case OpCallInt: {
            double *slot = call_slot(sp, op[1]);
            double r = callees_valid() ? call_int_formula(formula_at(op[0]), slot)
                                       : callee_gone(rec);
            finish_call(slot, r);
            break;
        }
        case OpCallComplex: {
            double *slot = call_slot(sp, op[1]);
            double r = callees_valid() ? call_complex_formula(formula_at(op[0]), slot)
                                       : callee_gone(rec);
            finish_call(slot, r);
            break;
        }

        case OpDropKeep: keep_top_drop(count()); break;
        case OpIfTest:
            if (top == 0) {
                set_top(0.0); // also turns -0 into +0
                jump();
            } else {
                skip(3);
            }
            break;
        case OpIfEnd:
            sp -= count();
            set_top(0.0);
            break;
        case OpWhileTest:
            if (top == 0 || run_error_pending())
                jump();
            else
                skip(3);
            break;
        case OpJump: jump_with_slot(); break;
        case OpBreak:
            jump_with_slot();
            set_top(0.0);
            break;
        case OpContinue:
            if (run_error_pending()) [[unlikely]]
                ip = code + header[kCodeLength] - 1; // the final OpReturn
            else
                jump_with_slot();
            break;
        case OpUntilTest: {
            const int32_t slot = count();
            if (top == 0 && !run_error_pending()) {
                sp = sb + slot;
                reload();
                jump();
            } else {
                sp = sb + slot + 1;
                set_top(0.0);
                skip(3);
            }
            break;
        }
        case OpWhichTest:
            if (top == 0) {
                ++sp; // stands for the value of the skipped branch
                top = *sp;
                jump();
            } else {
                skip(3);
            }
            break;
        case OpWhichEnd: {
            keep_top_drop(op[2]);
            const int32_t to_code = op[0], to_const = op[1], to_int = op[3];
            ip = code + to_code;
            cp = data + to_const;
            op = header + to_int;
            break;
        }
        case OpWhichNone:
            if (!run_error_pending()) fail(rec, u"which");
            sp -= count();
            reload();
            break;
        case OpWhichDefault: keep_top_drop(count()); break;
        case OpNeg: set_top(-top); break;
        case OpPreIncVar: push(var() += 1.0); break;
        case OpPreDecVar: push(var() -= 1.0); break;
        case OpPreIncCommon: push(cell() += 1.0); break;
        case OpPreDecCommon: push(cell() -= 1.0); break;
        case OpPostIncVar: {
            double &v = var();
            push(v);
            v += 1.0;
            break;
        }
        case OpPostDecVar: {
            double &v = var();
            push(v);
            v -= 1.0;
            break;
        }
        case OpPostIncCommon: {
            double &c = cell();
            push(c);
            c += 1.0;
            break;
        }
        case OpPostDecCommon: {
            double &c = cell();
            push(c);
            c -= 1.0;
            break;
        }

        // Byte 45 ("return") is never emitted; it runs as sqrt.
        TM_BUILTIN(return):
        TM_BUILTIN(sqrt): TM_UNARY(std::sqrt)
        TM_BUILTIN(exp): TM_UNARY(std::exp)
        TM_BUILTIN(ln): TM_UNARY(std::log)
        TM_BUILTIN(lg): TM_UNARY(std::log10)
        TM_BUILTIN(sin): TM_UNARY(std::sin)
        TM_BUILTIN(cos): TM_UNARY(std::cos)
        TM_BUILTIN(tan): TM_UNARY(std::tan)
        TM_BUILTIN(asin): TM_UNARY(std::asin)
        TM_BUILTIN(acos): TM_UNARY(std::acos)
        TM_BUILTIN(atan): TM_UNARY(std::atan)
        TM_BUILTIN(sinh): TM_UNARY(std::sinh)
        TM_BUILTIN(cosh): TM_UNARY(std::cosh)
        TM_BUILTIN(tanh): TM_UNARY(std::tanh)
        TM_BUILTIN(abs): TM_UNARY(std::fabs)
        TM_BUILTIN(floor): TM_UNARY(std::floor)
        TM_BUILTIN(ceil): TM_UNARY(std::ceil)
        TM_BUILTIN(itor): TM_UNARY(itor)
        TM_BUILTIN(rtoi): TM_UNARY(rtoi)
        TM_BUILTIN(getc): set_top(string_get(rec, real_op::getc_, kUnitByte, top)); break;
        TM_BUILTIN(getw): set_top(string_get(rec, real_op::getw_, kUnitWord, top)); break;
        TM_BUILTIN(getn): set_top(string_get(rec, real_op::getn_, kUnitCell, top)); break;
        TM_BUILTIN(atan2): TM_BINARY(std::atan2(a_, b_))
        TM_BUILTIN(fmod): TM_BINARY(std::fmod(a_, b_))
        TM_BUILTIN(sign): TM_BINARY(sign(a_, b_))
        TM_BUILTIN(dim): TM_BINARY(dim(a_, b_))
        TM_BUILTIN(padd): TM_BINARY(padd(a_, b_))
        // set*(a, t) pops t; the index a stays as the result.
        TM_BUILTIN(setc): {
            const double t = top;
            top = pop();
            string_set(rec, real_op::setc_, kUnitByte, top, t);
            break;
        }
        TM_BUILTIN(setw): {
            const double t = top;
            top = pop();
            string_set(rec, real_op::setw_, kUnitWord, top, t);
            break;
        }
        TM_BUILTIN(setn): {
            const double t = top;
            top = pop();
            string_set(rec, real_op::setn_, kUnitCell, top, t);
            break;
        }

        default: // not an instruction of this type
            result = 0.0;
            goto done;
        }
    }
#undef TM_BINARY
#undef TM_UNARY
#undef TM_BUILTIN

done:
    end_activation(g_real_stack, a);
    return result;
}

static_assert(kHighestReal == 74, "the real built-ins end at byte 74");

}  // namespace

double interpret_real_first(FormulaRecord *rec, double *args) {
    return real_cal<false, false>(rec, args);
}

double interpret_real_nested(FormulaRecord *rec, double *args) {
    return real_cal<false, true>(rec, args);
}

// Every activation but one of native code: checks, the trace, the fast form
// and the interpreter.
[[gnu::noinline]] double real_cal_entry(FormulaRecord *rec, double *args) {
    if (!rec) [[unlikely]] {
        record_run_error(kReal, u"RealCal", 0, kReal, nullptr);
        return 0.0;
    }
    if (g_trace_enabled) [[unlikely]] {
        prepare_native_stack_floor();
        const bool nested = rec->code[0] != kIdle;
        return nested ? real_cal<true, true>(rec, args) : real_cal<true, false>(rec, args);
    }
    return enter_real_from_host(rec, args);
}

}  // namespace tmx

// A formula with native code goes straight to it; nothing here may need a
// register saved, so that the jump into native code is the whole cost.
extern "C" TM_API double TM_CALL RealCal(void *hFor, double *args) {
    auto *rec = static_cast<tmx::FormulaRecord *>(hFor);
    if (rec && rec->jit && rec->code[0] == tmx::kIdle && !tmx::g_trace_enabled) [[likely]]
        return rec->jit(args ? args : static_cast<double *>(rec->data));
    return tmx::real_cal_entry(rec, args);
}
