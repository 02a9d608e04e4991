// The dispatch loop of the three evaluators' byte-code interpreters.
//
// All three execute the shared instructions 0-44 alike; they differ only in
// what a value is and in their built-ins.  The loop below is written once
// over an `Ops` traits class that supplies those differences (int_eval.cpp,
// real_eval.cpp, complex_eval.cpp):
//
//   using Slot;                          int64_t, double or TmComplex
//   kType                                1, 2 or 3: run-error and call-context type
//   kHighest, kFirstBinary               highest built-in byte; first built-in
//                                        that takes two operands
//   stack()                              the type's shared value stack
//   the type's meanings (IntMath, RealMath, ComplexMath, which the traits
//   derive from): zero, add, sub, mul, neg, step_up, step_down, and the
//   comparisons and logic of TruthLogic (truth_logic.h)
//   div(rec, a, b), rem_or_pow(rec, a, b)   OpDiv and OpPow
//   unary(rec, byte, t), binary(rec, byte, a, b)   built-in instructions
//   call_external(rec, fn, m, slot)      an external function of the type
//   enter_own(callee, slot)              optional: how a formula of the same
//                                        type is called when the trace is off
//                                        (reals: through their fast form)
//
// Raw stream pointers, the top of the evaluation stack cached in a local and
// written through (invariant: top == *sp whenever sp >= sb), one
// instantiation per kind of activation and per trace setting.  Built-ins take
// a second switch (in Ops); the shared instructions, which dominate, take
// one.
//
// Run errors never stop straight-line code: an instruction that fails records
// its error (the record keeps the first) and leaves a neutral value; only
// loop tests and OpContinue look at pending errors.
#pragma once

#include <cstdint>

#include "../address_table.h"
#include "../disasm.h"
#include "../opcodes.h"
#include "../record.h"
#include "../run_error.h"
#include "activation.h"
#include "cross_calls.h"
#include "value_stacks.h"

namespace tmx {

template <class Ops, bool Trace, bool Nested>
typename Ops::Slot run_typed(FormulaRecord *rec, typename Ops::Slot *args);

// A call of a formula of the evaluator's own type: a running callee re-enters
// with its parameters left in the caller's stack (the in-place path).
template <class Ops, bool Trace>
typename Ops::Slot call_own_type(FormulaRecord *callee, typename Ops::Slot *slot) {
    if constexpr (!Trace && requires { Ops::enter_own(callee, slot); })
        return Ops::enter_own(callee, slot);
    if (callee->code[0] == kIdle) return run_typed<Ops, Trace, false>(callee, slot);
    Ops::stack().copy_args = 0;
    return run_typed<Ops, Trace, true>(callee, slot);
}

// OpCallInt, OpCallReal, OpCallComplex (callee type Type) from a formula of
// type Ops::kType.
template <class Ops, bool Trace, int Type>
typename Ops::Slot call_formula(FormulaRecord *callee, typename Ops::Slot *slot) {
    if constexpr (Ops::kType == Type)
        return call_own_type<Ops, Trace>(callee, slot);
    else if constexpr (Type == kTypeInteger)
        return call_int_formula(callee, slot);
    else if constexpr (Type == kTypeReal)
        return call_real_formula(callee, slot);
    else
        return call_complex_formula(callee, slot);
}

// A call made after something this formula calls was deleted while it ran.
template <class Ops>
[[gnu::cold, gnu::noinline]] typename Ops::Slot callee_gone(FormulaRecord *rec) {
    record_run_error(-rec->header[kCodeStart], nullptr, 0, Ops::kType, rec);
    return Ops::zero();
}

template <class Ops, bool Trace, bool Nested>
typename Ops::Slot run_typed(FormulaRecord *rec, typename Ops::Slot *args) {
    using Slot = typename Ops::Slot;
    Frame<Slot, Nested> a;
    if constexpr (Nested) {
        if (!begin_nested(rec, args, Ops::stack(), Ops::kType, a)) return Ops::zero();
    } else {
        if (!begin_first(rec, args, Ops::stack(), Ops::kType, a)) return Ops::zero();
    }

    uint8_t *const code = a.code;
    const int32_t *const header = a.header;
    Slot *const data = a.data;
    Slot *const sb = a.stack_base;
    const uint8_t *ip = code + a.code_start;
    const int32_t *op = header + kOperandStart;
    const Slot *cp = data + a.var_count;
    Slot *sp = sb - 1;
    Slot top = Ops::zero();
    Slot result;

    auto push = [&](Slot v) {
        top = v;
        *++sp = v;
    };
    auto set_top = [&](Slot v) {
        top = v;
        *sp = v;
    };
    auto pop = [&]() { return *--sp; }; // the new top, after dropping the old
    auto reload = [&]() {
        if (sp >= sb) top = *sp;
    };
    auto truth = [](const Slot &v) { return Ops::is_true(v); };
    auto var = [&]() -> Slot & { return a.var(*op++); };
    auto cell = [&]() -> Slot & { return *static_cast<Slot *>(address_at(uint32_t(*op++))); };
    auto count = [&]() { return *op++; };
    auto skip = [&](int words) { op += words; };
    // Jumps: the operand order of each layout is read_jump's (opcodes.h).
    auto jump = [&](const JumpOperands &j) {
        ip = code + j.code;
        cp = data + j.konst;
        op = header + j.word;
    };
    auto jump_with_slot = [&]() {
        const JumpOperands j = read_jump<Operands::Goto>(op);
        sp = sb + j.slot;
        jump(j);
        reload();
    };
    auto branch = [&]() { jump(read_jump<Operands::Branch>(op)); };
    constexpr int kBranchWords = jump_words(Operands::Branch).words;
    auto keep_top_drop = [&](int32_t n) {
        sp -= n;
        *sp = top;
    };
    // Something this formula calls may have been deleted while it runs.
    auto callees_valid = [&]() { return header[kCodeStart] >= 0; };
    auto formula_at = [](int32_t index) {
        return static_cast<FormulaRecord *>(address_at(uint32_t(index)));
    };
    auto finish_call = [&](Slot *slot, const Slot &r) {
        skip(2);
        sp = slot;
        ip = write_back(ip, op, slot, a);
        set_top(r);
    };
#define TM_BINARY(expr)                                                               \
    {                                                                                 \
        const Slot b_ = top;                                                          \
        const Slot a_ = pop();                                                        \
        set_top(expr);                                                                \
        break;                                                                        \
    }
#define TM_STEP(place, change, pre)                                                   \
    {                                                                                 \
        Slot &v_ = place;                                                             \
        if constexpr (!(pre)) push(v_);                                               \
        v_ = Ops::change(v_);                                                         \
        if constexpr (pre) push(v_);                                                  \
        break;                                                                        \
    }
#define TM_CALL_CASE(call)                                                            \
    {                                                                                 \
        Slot *slot = call_slot(sp, op[1]);                                            \
        const Slot r = callees_valid() ? call : callee_gone<Ops>(rec);                \
        finish_call(slot, r);                                                         \
        break;                                                                        \
    }

    for (;;) {
        if constexpr (Trace) trace_instruction(rec, Ops::kType, ip, op, cp, sb, sp);
        const uint8_t byte = *ip++;
        switch (byte) {
        case OpReturn:
            result = sp >= sb ? top : empty_stack_result<Slot, Nested>(sp, data);
            goto done;
        case OpPushConst: push(*cp++); break;
        case OpPushVar: push(var()); break;
        case OpPushCommon: push(cell()); break;
        case OpAdd: TM_BINARY(Ops::add(a_, b_))
        case OpSub: TM_BINARY(Ops::sub(a_, b_))
        case OpMul: TM_BINARY(Ops::mul(a_, b_))
        case OpDiv: TM_BINARY(Ops::div(rec, a_, b_))
        case OpPow: TM_BINARY(Ops::rem_or_pow(rec, a_, b_))
        case OpGt: TM_BINARY(Ops::gt(a_, b_))
        case OpGe: TM_BINARY(Ops::ge(a_, b_))
        case OpLt: TM_BINARY(Ops::lt(a_, b_))
        case OpLe: TM_BINARY(Ops::le(a_, b_))
        case OpEq: TM_BINARY(Ops::eq(a_, b_))
        case OpNe: TM_BINARY(Ops::ne(a_, b_))
        case OpAnd: TM_BINARY(Ops::both(a_, b_))
        case OpOr: TM_BINARY(Ops::either(a_, b_))
        case OpNot: set_top(Ops::negation(top)); break;
        case OpStoreVar: var() = top; break;
        case OpStoreCommon: cell() = top; break;

        case OpCallInt: TM_CALL_CASE((call_formula<Ops, Trace, kTypeInteger>(formula_at(op[0]), slot)))
        case OpCallReal: TM_CALL_CASE((call_formula<Ops, Trace, kTypeReal>(formula_at(op[0]), slot)))
        case OpCallComplex:
            TM_CALL_CASE((call_formula<Ops, Trace, kTypeComplex>(formula_at(op[0]), slot)))
        case OpCallExternal:
            TM_CALL_CASE(Ops::call_external(rec, address_at(uint32_t(op[0])), op[1], slot))

        case OpDropKeep: keep_top_drop(count()); break;
        case OpIfTest:
            if (!truth(top)) {
                set_top(Ops::zero());
                branch();
            } else {
                skip(kBranchWords);
            }
            break;
        case OpIfEnd:
            sp -= count();
            set_top(Ops::zero());
            break;
        case OpWhileTest:
            if (!truth(top) || run_error_pending())
                branch();
            else
                skip(kBranchWords);
            break;
        case OpJump: jump_with_slot(); break;
        case OpBreak:
            jump_with_slot();
            set_top(Ops::zero());
            break;
        case OpContinue:
            if (run_error_pending()) [[unlikely]]
                ip = code + header[kCodeLength] - 1; // the final OpReturn
            else
                jump_with_slot();
            break;
        case OpUntilTest: {
            const JumpOperands j = read_jump<Operands::Until>(op);
            if (!truth(top) && !run_error_pending()) {
                sp = sb + j.slot;
                reload();
                jump(j);
            } else {
                sp = sb + j.slot + 1;
                set_top(Ops::zero());
                skip(jump_words(Operands::Until).words);
            }
            break;
        }
        case OpWhichTest:
            if (!truth(top)) {
                ++sp; // stands for the value of the skipped branch
                top = *sp;
                branch();
            } else {
                skip(kBranchWords);
            }
            break;
        case OpWhichEnd: {
            const JumpOperands j = read_jump<Operands::WhichEnd>(op);
            keep_top_drop(j.n);
            jump(j);
            break;
        }
        case OpWhichNone: // recorded only when no error is pending
            record_run_error(Ops::kType, u"which", 0, Ops::kType, rec);
            sp -= count();
            reload();
            break;
        case OpWhichDefault: keep_top_drop(count()); break;
        case OpNeg: set_top(Ops::neg(top)); break;
        // Increments: the variable or cell changes before (Pre) or after
        // (Post) its value is pushed.
        case OpPreIncVar: TM_STEP(var(), step_up, true)
        case OpPreDecVar: TM_STEP(var(), step_down, true)
        case OpPreIncCommon: TM_STEP(cell(), step_up, true)
        case OpPreDecCommon: TM_STEP(cell(), step_down, true)
        case OpPostIncVar: TM_STEP(var(), step_up, false)
        case OpPostDecVar: TM_STEP(var(), step_down, false)
        case OpPostIncCommon: TM_STEP(cell(), step_up, false)
        case OpPostDecCommon: TM_STEP(cell(), step_down, false)

        default:
            if (byte > Ops::kHighest) [[unlikely]] { // not an instruction of this type
                result = Ops::zero();
                goto done;
            }
            if (byte < Ops::kFirstBinary) {
                set_top(Ops::unary(rec, byte, top));
            } else {
                const Slot b = top;
                const Slot a_ = pop();
                set_top(Ops::binary(rec, byte, a_, b));
            }
            break;
        }
    }
#undef TM_BINARY
#undef TM_CALL_CASE
#undef TM_STEP

done:
    end_activation(Ops::stack(), a);
    return result;
}

// The export's body: a null handle is refused; otherwise the activation kind
// and the trace setting pick the instantiation.
template <class Ops>
typename Ops::Slot evaluate_typed(void *hFor, typename Ops::Slot *args,
                                  const char16_t *export_name) {
    auto *rec = static_cast<FormulaRecord *>(hFor);
    if (!rec) [[unlikely]] {
        record_run_error(Ops::kType, export_name, 0, Ops::kType, nullptr);
        return Ops::zero();
    }
    prepare_native_stack_floor();
    const bool nested = rec->code[0] != kIdle;
    if (g_trace_enabled) [[unlikely]]
        return nested ? run_typed<Ops, true, true>(rec, args)
                      : run_typed<Ops, true, false>(rec, args);
    if (nested) [[unlikely]]
        return run_typed<Ops, false, true>(rec, args);
    return run_typed<Ops, false, false>(rec, args);
}

}  // namespace tmx
