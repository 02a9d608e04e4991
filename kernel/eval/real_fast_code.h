// The layout of the pre-decoded fast form of real formulas, shared by its
// translator (real_fast_translate.cpp) and its runner (real_fast.cpp).
//
// Stack convention while running: `top` holds the top value in a register and
// the memory stack holds only the values below it; `sp` is the next free
// memory slot, so stack element i lives at sb[i + 1] once it is spilled and
// sb[0] only ever receives the spill of an empty stack's (meaningless) top.
// The translator knows the stack depth at every step, so jumps move `sp` by a
// fixed amount and calls find their arguments at a fixed distance below it.
#pragma once

#include <cstdint>

#include "../record.h"
#include "real_math.h"

namespace tmx {

// The operations' meanings are RealMath's (real_math.h), the interpreter's.
// Binary operations: X(name, expression over a and b).  Each comes in five
// forms by where its right operand comes from: S the stack (plain byte code),
// K an inlined constant, A an argument slot, F an automatic variable of the
// activation's frame, D a static variable or shared cell.
#define TM_FAST_BINARY(X)                                                            \
    X(Add, RealMath::add(a, b))                                                      \
    X(Sub, RealMath::sub(a, b))                                                      \
    X(Mul, RealMath::mul(a, b))                                                      \
    X(Div, RealMath::div(a, b))                                                      \
    X(Pow, RealMath::pow(a, b))                                                      \
    X(Gt, RealMath::gt(a, b))                                                        \
    X(Ge, RealMath::ge(a, b))                                                        \
    X(Lt, RealMath::lt(a, b))                                                        \
    X(Le, RealMath::le(a, b))                                                        \
    X(Eq, RealMath::eq(a, b))                                                        \
    X(Ne, RealMath::ne(a, b))                                                        \
    X(And, RealMath::both(a, b))                                                     \
    X(Or, RealMath::either(a, b))                                                    \
    X(Atan2, RealMath::atan2(a, b))                                                  \
    X(Fmod, RealMath::fmod(a, b))                                                    \
    X(Sign, RealMath::sign(a, b))                                                    \
    X(Dim, RealMath::dim(a, b))                                                      \
    X(Padd, RealMath::padd(a, b))

// One-operand operations on the top: X(name, expression over t).
#define TM_FAST_UNARY(X)                                                             \
    X(Neg, RealMath::neg(t))                                                         \
    X(Not, RealMath::negation(t))                                                    \
    X(Sqrt, RealMath::sqrt(t))                                                       \
    X(Exp, RealMath::exp(t))                                                         \
    X(Ln, RealMath::ln(t))                                                           \
    X(Lg, RealMath::lg(t))                                                           \
    X(Sin, RealMath::sin(t))                                                         \
    X(Cos, RealMath::cos(t))                                                         \
    X(Tan, RealMath::tan(t))                                                         \
    X(Asin, RealMath::asin(t))                                                       \
    X(Acos, RealMath::acos(t))                                                       \
    X(Atan, RealMath::atan(t))                                                       \
    X(Sinh, RealMath::sinh(t))                                                       \
    X(Cosh, RealMath::cosh(t))                                                       \
    X(Tanh, RealMath::tanh(t))                                                       \
    X(Abs, RealMath::abs(t))                                                         \
    X(Floor, RealMath::floor(t))                                                     \
    X(Ceil, RealMath::ceil(t))                                                       \
    X(Itor, RealMath::itor(t))                                                       \
    X(Rtoi, RealMath::rtoi(t))

// A push of an argument or constant fused with the binary operation that
// takes the next argument or constant as its right operand ("a*b", "a+1",
// "1.5*a"): X(name, expression over a and b), in three forms:
//   AA  a = args[index], b = args[aux]
//   AK  a = args[index], b = k
//   KA  a = k, b = args[index]
// The operations are the first eleven of TM_FAST_BINARY, in its order.
#define TM_FAST_PAIR(X)                                                              \
    X(Add, RealMath::add(a, b)) X(Sub, RealMath::sub(a, b))                          \
    X(Mul, RealMath::mul(a, b)) X(Div, RealMath::div(a, b))                          \
    X(Pow, RealMath::pow(a, b)) X(Gt, RealMath::gt(a, b)) X(Ge, RealMath::ge(a, b))  \
    X(Lt, RealMath::lt(a, b)) X(Le, RealMath::le(a, b)) X(Eq, RealMath::eq(a, b))    \
    X(Ne, RealMath::ne(a, b))

// A fused pair whose value is at once the right operand of a binary operation
// on the stack ("top + a*b", the terms of a polynomial): X(outer, expression
// over a and b, inner, expression over a and b), the inner pair in the three
// forms of TM_FAST_PAIR.  The pair's value is rounded before the outer
// operation, exactly as in two steps (never a fused multiply-add).
#define TM_FAST_CHAIN_OF(X, outer, oexpr)                                            \
    X(outer, oexpr, Add, RealMath::add(a, b)) X(outer, oexpr, Sub, RealMath::sub(a, b)) \
    X(outer, oexpr, Mul, RealMath::mul(a, b)) X(outer, oexpr, Div, RealMath::div(a, b))
#define TM_FAST_CHAIN(X)                                                             \
    TM_FAST_CHAIN_OF(X, Add, RealMath::add(a, b))                                    \
    TM_FAST_CHAIN_OF(X, Sub, RealMath::sub(a, b))                                    \
    TM_FAST_CHAIN_OF(X, Mul, RealMath::mul(a, b))                                    \
    TM_FAST_CHAIN_OF(X, Div, RealMath::div(a, b))

// Comparisons with a constant that a loop or branch test consumes at once
// fuse with the test: X(name, condition over top and k).
#define TM_FAST_COMPARE(X)                                                           \
    X(Gt, RealMath::greater(top, o->k)) X(Ge, RealMath::greater_equal(top, o->k))    \
    X(Lt, RealMath::less(top, o->k)) X(Le, RealMath::less_equal(top, o->k))          \
    X(Eq, RealMath::equal(top, o->k)) X(Ne, RealMath::not_equal(top, o->k))

// Everything else, in handler order (see run_real_fast).
//   Push/Store/increment forms by operand: K A F D as above.
//   Jump       sp += aux, reload top, go to target (OpJump, and OpContinue
//              without a pending error)
//   Break      sp += aux, top = 0, go to target
//   Continue   pending error: go to the final Return; else as Jump
//   UntilTest  top == 0 and no error: as Jump; else sp += index, top = 0
//   WhileTest  top == 0 or error pending: go to target
//   IfTest     top == 0: top = +0, go to target
//   IfEnd      sp -= index, top = 0
//   WhichTest  top == 0: spill top (a skipped slot), go to target
//   WhichEnd   sp -= index (top kept), go to target
//   WhichNone  run error "which" unless pending; sp -= index; reload top
//   DropKeep   sp -= index (top kept: OpDropKeep, OpWhichDefault)
//   Call*      index = argument count minus one, aux = write-back entries
//              (the FastOps right after the call), p = callee
//   Get*/Set*  string-area access of the running formula
//   ReturnZero a byte that is no instruction: result 0
#define TM_FAST_OTHER(X)                                                             \
    X(PushK) X(PushA) X(PushF) X(PushD)                                              \
    X(StoreA) X(StoreF) X(StoreD)                                                    \
    X(PreIncA) X(PreIncF) X(PreIncD) X(PreDecA) X(PreDecF) X(PreDecD)                \
    X(PostIncA) X(PostIncF) X(PostIncD) X(PostDecA) X(PostDecF) X(PostDecD)          \
    X(DropKeep) X(Return) X(ReturnZero)                                              \
    X(Jump) X(Break) X(Continue) X(UntilTest) X(WhileTest) X(IfTest) X(IfEnd)        \
    X(WhichTest) X(WhichEnd) X(WhichNone)                                            \
    X(CallReal) X(CallInt) X(CallComplex) X(CallExternal)                            \
    X(Getc) X(Getw) X(Getn) X(Setc) X(Setw) X(Setn)

enum FastOpcode : uint16_t {
#define TM_FAST_OTHER_ENUM(name) name,
    TM_FAST_OTHER(TM_FAST_OTHER_ENUM)
#undef TM_FAST_OTHER_ENUM
#define TM_FAST_BINARY_ENUM(name, expr) name##S, name##K, name##A, name##F, name##D,
    TM_FAST_BINARY(TM_FAST_BINARY_ENUM)
#undef TM_FAST_BINARY_ENUM
#define TM_FAST_UNARY_ENUM(name, expr) name,
    TM_FAST_UNARY(TM_FAST_UNARY_ENUM)
#undef TM_FAST_UNARY_ENUM
#define TM_FAST_PAIR_ENUM(name, expr) name##AA, name##AK, name##KA,
    TM_FAST_PAIR(TM_FAST_PAIR_ENUM)
#undef TM_FAST_PAIR_ENUM
    // Chains: outer S, then the inner pair (AddSMulAA: top + args[i]*args[j]).
#define TM_FAST_CHAIN_ENUM(outer, oexpr, inner, iexpr)                               \
    outer##S##inner##AA, outer##S##inner##AK, outer##S##inner##KA,
    TM_FAST_CHAIN(TM_FAST_CHAIN_ENUM)
#undef TM_FAST_CHAIN_ENUM
    // Step chains: outer S, then an operation on the top with a constant or
    // an argument (AddSMulK: below + top*k, the top popped into place).
#define TM_FAST_STEP_CHAIN_ENUM(outer, oexpr, inner, iexpr) outer##S##inner##K, outer##S##inner##A,
    TM_FAST_CHAIN(TM_FAST_STEP_CHAIN_ENUM)
#undef TM_FAST_STEP_CHAIN_ENUM
    // Fused comparison and test: k is the constant, index the target step.
#define TM_FAST_COMPARE_ENUM(name, cond) If##name##K, While##name##K, Which##name##K,
    TM_FAST_COMPARE(TM_FAST_COMPARE_ENUM)
#undef TM_FAST_COMPARE_ENUM
    kFastOpcodeCount
};

// The translator finds a pair's code from the binary operation's position.
static_assert(NeAA - AddAA == 3 * ((NeS - AddS) / 5), "pairs follow TM_FAST_BINARY's order");

static_assert(DivSDivA - AddSAddK == 4 * 4 * 2 - 1, "step chains: outer, inner, K and A");

constexpr bool is_pair(uint16_t code) { return code >= AddAA && code <= NeKA; }
// A pair of + - * / (the inner operations of TM_FAST_CHAIN).
constexpr bool is_arithmetic_pair(uint16_t code) { return code >= AddAA && code <= DivKA; }

// Whether a step may call a function (a library routine for its arithmetic,
// or anything beyond arithmetic): a formula of steps that never do runs on a
// runner that saves no registers.
constexpr bool may_call(uint16_t code) {
    if (code >= AddS && code < Neg) {
        const int b = (code - AddS) / 5;
        return b == 4 || b >= 13; // Pow, Atan2, Fmod, Sign, Dim, Padd
    }
    if (code >= Neg && code < AddAA) return code != Neg && code != Not && code != Abs;
    if (code >= PowAA && code <= PowKA) return true;
    if (code >= AddAA && code < IfGtK) return false;
    return !(code >= PushK && code <= ReturnZero);
}

// Where an operand lives, in the order of the variants after a binary
// operation's S form and of the Push/Store/increment forms.
enum OperandForm : uint8_t { kFormStack, kFormConst, kFormArg, kFormFrame, kFormCell };

struct FastOp {
    uint16_t code;
    int16_t aux;   // jump: stack move; call: write-back entries; write-back: argument
    int32_t index; // argument or frame index, slot count, call m, until fall-through move
    union {
        double k;               // constant (K forms)
        double *p;              // static variable or shared cell (D forms)
        const FastOp *target;   // jumps
        FormulaRecord *callee;  // formula calls
        void *ext;              // OpCallExternal: the ExternalFunction record
        int64_t code_offset;    // jumps, while translating
    };
};
static_assert(sizeof(FastOp) == 16);

struct FastCode {
    // No call instructions: nothing can re-enter, invalidate or interrupt a
    // call inside it, so a first activation needs no bookkeeping at all.
    bool calls_nothing;
    // Straight-line as well: no jump, no string access, nothing that records
    // a run error; such a formula runs on the smaller runner.
    bool straight;
    // Straight-line and no step calls anything (may_call).
    bool leaf;
    // One or two steps: a push, then nothing, a one-operand operation or a
    // binary operation whose right operand is a push form (see
    // run_short_form).  Such a formula skips the dispatch loop altogether.
    bool short_form;
    // The record's entry (FormulaRecord::entry) while it runs from this form:
    // chosen once, at translation, from the facts above.
    RealEntry host_runner;
    int32_t var_count;
    int32_t last_param;
    int32_t frame_slots; // VarCount + stack slots + 1: a nested activation's frame
    double *stack;       // first activation's stack: within this allocation
    const FastOp *final_return;
    FastOp ops[1];       // as many as the translation produced
};

}  // namespace tmx
