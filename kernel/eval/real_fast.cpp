// Running the fast form of real formulas (see real_fast.h and
// real_fast_code.h), and the activations that start it.
#include "real_fast.h"

#include <cmath>

// Set per source by kernel/CMakeLists.txt (option TAMRIX_COMPUTED_GOTO).
#ifndef TAMRIX_COMPUTED_GOTO
#define TAMRIX_COMPUTED_GOTO 0
#endif

#include "../address_table.h"
#include "../jit/jit.h"
#include "../opcodes.h"
#include "../registry/registry.h"
#include "../run_error.h"
#include "activation.h"
#include "conversions.h"
#include "cross_calls.h"
#include "real_fast_code.h"
#include "real_math.h"
#include "string_area.h"
#include "value_stacks.h"

namespace tmx {

namespace {

constexpr int kReal = kTypeReal;

[[gnu::cold, gnu::noinline]] void fail(FormulaRecord *rec, const char16_t *name) {
    record_run_error(kReal, name, 0, kReal, rec);
}

// A call made after something this formula calls was deleted while it ran.
[[gnu::cold, gnu::noinline]] double callee_gone(FormulaRecord *rec) {
    record_run_error(-rec->header[kCodeStart], nullptr, 0, kReal, rec);
    return 0.0;
}

double call_external(FormulaRecord *rec, void *fn, int32_t m, double *slot) {
    TmCallContext ctx = {kReal, rec};
    return reinterpret_cast<TmRealFunction>(static_cast<ExternalFunction *>(fn)->address)(
        m, slot, &ctx);
}

// Which steps a runner has: all, the straight-line ones, or the straight-line
// ones that call nothing (FastCode::straight, FastCode::leaf).
enum class Runner { kAll, kStraight, kLeaf };

template <Runner Kind>
double run_real_fast(const FastCode *fc, FormulaRecord *rec, double *args, double *frame,
                     double *sb);
[[gnu::always_inline]] inline double enter_nested(FormulaRecord *rec, double *args,
                                                  bool in_place);

// OpCallReal.  A running callee (recursion) is started right here, so that
// each level of a recursion costs one native call.
[[gnu::always_inline]] inline double call_real(FormulaRecord *callee, double *slot) {
    if (callee->code[0] != kIdle) return enter_nested(callee, slot, true);
    return enter_real(callee, slot, true);
}

// Threaded dispatch: every step ends with its own jump to the next step's
// handler, so each handler's branch is predicted on its own history.  That
// needs labels as values (GCC, Clang); TAMRIX_COMPUTED_GOTO=0 builds the
// portable form instead, where every step returns to one switch.
//   args   where the parameters live (by reference)
//   frame  where automatic variable v lives: frame[v] (the data array for a
//          first activation)
//   sb     the stack (see real_fast_code.h)
// Kind: on a straight-line formula (FastCode::straight) the steps that jump,
// call or touch the string area never run; leaving them out frees the
// registers they would hold and shrinks the entry and exit.  When no step
// calls a library routine either, the runner needs no register saved at all.
template <Runner Kind>
double run_real_fast(const FastCode *fc, FormulaRecord *rec, double *args, double *frame,
                     double *sb) {
    double *sp = sb;
    double top = 0.0;
    const FastOp *o = fc->ops;
    // Every step's label, in FastOpcode order, through TM_STEP(label).
#define TM_FAST_OTHER_STEPS(name) TM_STEP(name)
#define TM_FAST_BINARY_STEPS(name, expr)                                             \
    TM_STEP(name##S) TM_STEP(name##K) TM_STEP(name##A) TM_STEP(name##F) TM_STEP(name##D)
#define TM_FAST_UNARY_STEPS(name, expr) TM_STEP(name)
#define TM_FAST_PAIR_STEPS(name, expr) TM_STEP(name##AA) TM_STEP(name##AK) TM_STEP(name##KA)
#define TM_FAST_COMPARE_STEPS(name, cond)                                            \
    TM_STEP(If##name##K) TM_STEP(While##name##K) TM_STEP(Which##name##K)
#define TM_FAST_CHAIN_STEPS(outer, oexpr, inner, iexpr)                              \
    TM_STEP(outer##S##inner##AA) TM_STEP(outer##S##inner##AK) TM_STEP(outer##S##inner##KA)
#define TM_FAST_STEP_CHAIN_STEPS(outer, oexpr, inner, iexpr)                         \
    TM_STEP(outer##S##inner##K) TM_STEP(outer##S##inner##A)
#define TM_FAST_STEPS                                                                \
    TM_FAST_OTHER(TM_FAST_OTHER_STEPS) TM_FAST_BINARY(TM_FAST_BINARY_STEPS)          \
    TM_FAST_UNARY(TM_FAST_UNARY_STEPS) TM_FAST_PAIR(TM_FAST_PAIR_STEPS)              \
    TM_FAST_CHAIN(TM_FAST_CHAIN_STEPS) TM_FAST_CHAIN(TM_FAST_STEP_CHAIN_STEPS)       \
    TM_FAST_COMPARE(TM_FAST_COMPARE_STEPS)
#if TAMRIX_COMPUTED_GOTO
    static const void *const kHandlers[] = {
#define TM_STEP(label) &&label,
        TM_FAST_STEPS
#undef TM_STEP
    };
    static_assert(sizeof kHandlers / sizeof kHandlers[0] == kFastOpcodeCount);
#define TM_DISPATCH goto *kHandlers[o->code]
#else
    // The portable form: one switch that every step returns to.
#define TM_DISPATCH goto dispatch
#endif
#define TM_NEXT                                                                      \
    do {                                                                             \
        ++o;                                                                         \
        TM_DISPATCH;                                                                 \
    } while (0)
#define TM_GO(to)                                                                    \
    do {                                                                             \
        o = (to);                                                                    \
        TM_DISPATCH;                                                                 \
    } while (0)
#if TAMRIX_COMPUTED_GOTO
    TM_DISPATCH;
#else
dispatch:
    switch (o->code) {
#define TM_STEP(label)                                                               \
    case label: goto label;
        TM_FAST_STEPS
#undef TM_STEP
    default: return 0.0; // no step has another code
    }
#endif
#undef TM_FAST_STEPS
#undef TM_FAST_OTHER_STEPS
#undef TM_FAST_BINARY_STEPS
#undef TM_FAST_UNARY_STEPS
#undef TM_FAST_PAIR_STEPS
#undef TM_FAST_CHAIN_STEPS
#undef TM_FAST_STEP_CHAIN_STEPS
#undef TM_FAST_COMPARE_STEPS
    // Opens every step a straight-line formula never has.
#define TM_NOT_STRAIGHT                                                              \
    if constexpr (Kind != Runner::kAll) __builtin_unreachable()
    // Opens every step that may call a library routine.
#define TM_NOT_LEAF(code)                                                            \
    if constexpr (Kind == Runner::kLeaf && may_call(code)) __builtin_unreachable()

PushK: *sp++ = top; top = o->k; TM_NEXT;
PushA: *sp++ = top; top = args[o->index]; TM_NEXT;
PushF: *sp++ = top; top = frame[o->index]; TM_NEXT;
PushD: *sp++ = top; top = *o->p; TM_NEXT;
StoreA: args[o->index] = top; TM_NEXT;
StoreF: frame[o->index] = top; TM_NEXT;
StoreD: *o->p = top; TM_NEXT;
#define VAR_A args[o->index]
#define VAR_F frame[o->index]
#define VAR_D (*o->p)
PreIncA: *sp++ = top; top = VAR_A = RealMath::step_up(VAR_A); TM_NEXT;
PreIncF: *sp++ = top; top = VAR_F = RealMath::step_up(VAR_F); TM_NEXT;
PreIncD: *sp++ = top; top = VAR_D = RealMath::step_up(VAR_D); TM_NEXT;
PreDecA: *sp++ = top; top = VAR_A = RealMath::step_down(VAR_A); TM_NEXT;
PreDecF: *sp++ = top; top = VAR_F = RealMath::step_down(VAR_F); TM_NEXT;
PreDecD: *sp++ = top; top = VAR_D = RealMath::step_down(VAR_D); TM_NEXT;
PostIncA: *sp++ = top; top = VAR_A; VAR_A = RealMath::step_up(VAR_A); TM_NEXT;
PostIncF: *sp++ = top; top = VAR_F; VAR_F = RealMath::step_up(VAR_F); TM_NEXT;
PostIncD: *sp++ = top; top = VAR_D; VAR_D = RealMath::step_up(VAR_D); TM_NEXT;
PostDecA: *sp++ = top; top = VAR_A; VAR_A = RealMath::step_down(VAR_A); TM_NEXT;
PostDecF: *sp++ = top; top = VAR_F; VAR_F = RealMath::step_down(VAR_F); TM_NEXT;
PostDecD: *sp++ = top; top = VAR_D; VAR_D = RealMath::step_down(VAR_D); TM_NEXT;
DropKeep: sp -= o->index; TM_NEXT;
Return: return top;
ReturnZero: return 0.0;

// Jumps.  A move of the stack spills the top first, so that a jump that keeps
// the depth reloads the same value and one that lowers it finds the new top
// in memory.
Jump: TM_NOT_STRAIGHT; *sp = top; sp += o->aux; top = *sp; TM_GO(o->target);
Break: TM_NOT_STRAIGHT; *sp = top; sp += o->aux; top = 0.0; TM_GO(o->target);
Continue: TM_NOT_STRAIGHT;
    if (run_error_pending()) [[unlikely]]
        TM_GO(fc->final_return);
    *sp = top; sp += o->aux; top = *sp; TM_GO(o->target);
UntilTest: TM_NOT_STRAIGHT;
    *sp = top;
    if (!RealMath::is_true(top) && !run_error_pending()) {
        sp += o->aux;
        top = *sp;
        TM_GO(o->target);
    }
    sp += o->index;
    top = 0.0;
    TM_NEXT;
WhileTest: TM_NOT_STRAIGHT;
    if (!RealMath::is_true(top) || run_error_pending()) TM_GO(o->target);
    TM_NEXT;
IfTest: TM_NOT_STRAIGHT;
    if (!RealMath::is_true(top)) {
        top = 0.0; // also turns -0 into +0
        TM_GO(o->target);
    }
    TM_NEXT;
IfEnd: TM_NOT_STRAIGHT; sp -= o->index; top = 0.0; TM_NEXT;
WhichTest: TM_NOT_STRAIGHT;
    if (!RealMath::is_true(top)) {
        *sp++ = top; // stands for the value of the skipped branch
        TM_GO(o->target);
    }
    TM_NEXT;
WhichEnd: TM_NOT_STRAIGHT; sp -= o->index; TM_GO(o->target);
WhichNone: TM_NOT_STRAIGHT;
    if (!run_error_pending()) fail(rec, u"which");
    sp -= o->index;
    top = *sp;
    TM_NEXT;

// Calls: the arguments end at the top; the callee gets the address of the
// first (or of a fresh result slot) and its result becomes the top after the
// write-back entries have run.
#define TM_FAST_CALL(result)                                                         \
    {                                                                                \
        TM_NOT_STRAIGHT;                                                             \
        *sp = top;                                                                   \
        double *slot = o->index < 0 ? sp + 1 : sp - o->index;                        \
        const double r = rec->header[kCodeStart] >= 0 ? (result) : callee_gone(rec); \
        for (int e = o->aux; e > 0; --e) {                                           \
            ++o;                                                                     \
            const double v = slot[o->aux];                                           \
            if (o->code == StoreA) args[o->index] = v;                               \
            else if (o->code == StoreF) frame[o->index] = v;                         \
            else *o->p = v;                                                          \
        }                                                                            \
        sp = slot;                                                                   \
        top = r;                                                                     \
        TM_NEXT;                                                                     \
    }
CallReal: TM_FAST_CALL(call_real(o->callee, slot))
CallInt: TM_FAST_CALL(call_int_formula(o->callee, slot))
CallComplex: TM_FAST_CALL(call_complex_formula(o->callee, slot))
CallExternal: TM_FAST_CALL(call_external(rec, o->ext, o->index, slot))
#undef TM_FAST_CALL

#define TM_FAST_GET(k) top = string_get<RealMath>(rec, kRealBuiltins.names[real_op::getc_ + k], string_unit(k), top)
Getc: TM_NOT_STRAIGHT; TM_FAST_GET(0); TM_NEXT;
Getw: TM_NOT_STRAIGHT; TM_FAST_GET(1); TM_NEXT;
Getn: TM_NOT_STRAIGHT; TM_FAST_GET(2); TM_NEXT;
#undef TM_FAST_GET
// set*(a, t) pops t; the index a stays as the result.
#define TM_FAST_SET(k) { const double t = top; top = *--sp; string_set<RealMath>(rec, kRealBuiltins.names[real_op::setc_ + k], string_unit(k), top, t); }
Setc: TM_NOT_STRAIGHT; TM_FAST_SET(0); TM_NEXT;
Setw: TM_NOT_STRAIGHT; TM_FAST_SET(1); TM_NEXT;
Setn: TM_NOT_STRAIGHT; TM_FAST_SET(2); TM_NEXT;
#undef TM_FAST_SET

#define TM_FAST_BINARY_CASES(name, expr)                                             \
    name##S: { TM_NOT_LEAF(name##S); const double b = top, a = *--sp; top = expr; } TM_NEXT; \
    name##K: { TM_NOT_LEAF(name##K); const double b = o->k, a = top; top = expr; } TM_NEXT;  \
    name##A: { TM_NOT_LEAF(name##A); const double b = args[o->index], a = top; top = expr; } TM_NEXT; \
    name##F: { TM_NOT_LEAF(name##F); const double b = frame[o->index], a = top; top = expr; } TM_NEXT; \
    name##D: { TM_NOT_LEAF(name##D); const double b = *o->p, a = top; top = expr; } TM_NEXT;
    TM_FAST_BINARY(TM_FAST_BINARY_CASES)
#undef TM_FAST_BINARY_CASES
#define TM_FAST_UNARY_CASES(name, expr)                                              \
    name: { TM_NOT_LEAF(name); const double t = top; top = expr; } TM_NEXT;
    TM_FAST_UNARY(TM_FAST_UNARY_CASES)
#undef TM_FAST_UNARY_CASES
#define TM_FAST_PAIR_CASES(name, expr)                                               \
    name##AA: { TM_NOT_LEAF(name##AA); *sp++ = top; const double a = args[o->index], b = args[o->aux]; top = expr; } TM_NEXT; \
    name##AK: { TM_NOT_LEAF(name##AK); *sp++ = top; const double a = args[o->index], b = o->k; top = expr; } TM_NEXT;         \
    name##KA: { TM_NOT_LEAF(name##KA); *sp++ = top; const double a = o->k, b = args[o->index]; top = expr; } TM_NEXT;
    TM_FAST_PAIR(TM_FAST_PAIR_CASES)
#undef TM_FAST_PAIR_CASES
// The pair's value first, then the outer operation with the top as its left
// operand: the two roundings of the unfused steps.
#define TM_FAST_CHAIN_CASE(outer, oexpr, inner, iexpr, form, left, right)            \
    outer##S##inner##form: {                                                         \
        double r;                                                                    \
        { const double a = left, b = right; r = iexpr; }                             \
        { const double a = top, b = r; top = oexpr; }                                \
    } TM_NEXT;
#define TM_FAST_CHAIN_CASES(outer, oexpr, inner, iexpr)                              \
    TM_FAST_CHAIN_CASE(outer, oexpr, inner, iexpr, AA, args[o->index], args[o->aux]) \
    TM_FAST_CHAIN_CASE(outer, oexpr, inner, iexpr, AK, args[o->index], o->k)         \
    TM_FAST_CHAIN_CASE(outer, oexpr, inner, iexpr, KA, o->k, args[o->index])
    TM_FAST_CHAIN(TM_FAST_CHAIN_CASES)
#undef TM_FAST_CHAIN_CASES
#undef TM_FAST_CHAIN_CASE
// The same with an operation on the top and a constant or argument as the
// inner step; the outer operation's left operand is the value below.
#define TM_FAST_STEP_CHAIN_CASE(outer, oexpr, inner, iexpr, form, right)             \
    outer##S##inner##form: {                                                         \
        double r;                                                                    \
        { const double a = top, b = right; r = iexpr; }                              \
        { const double a = *--sp, b = r; top = oexpr; }                              \
    } TM_NEXT;
#define TM_FAST_STEP_CHAIN_CASES(outer, oexpr, inner, iexpr)                         \
    TM_FAST_STEP_CHAIN_CASE(outer, oexpr, inner, iexpr, K, o->k)                     \
    TM_FAST_STEP_CHAIN_CASE(outer, oexpr, inner, iexpr, A, args[o->index])
    TM_FAST_CHAIN(TM_FAST_STEP_CHAIN_CASES)
#undef TM_FAST_STEP_CHAIN_CASES
#undef TM_FAST_STEP_CHAIN_CASE
// A fused comparison leaves its truth value on the stack as the test would
// find it, then tests it.
#define TM_FAST_COMPARE_CASES(name, cond)                                            \
    If##name##K:                                                                     \
    TM_NOT_STRAIGHT;                                                                 \
    if (cond) {                                                                      \
        top = 1.0;                                                                   \
        TM_NEXT;                                                                     \
    }                                                                                \
    top = 0.0;                                                                       \
    TM_GO(fc->ops + o->index);                                                       \
    While##name##K:                                                                  \
    TM_NOT_STRAIGHT;                                                                 \
    if (cond) {                                                                      \
        top = 1.0;                                                                   \
        if (!run_error_pending()) TM_NEXT;                                           \
    } else {                                                                         \
        top = 0.0;                                                                   \
    }                                                                                \
    TM_GO(fc->ops + o->index);                                                       \
    Which##name##K:                                                                  \
    TM_NOT_STRAIGHT;                                                                 \
    if (cond) {                                                                      \
        top = 1.0;                                                                   \
        TM_NEXT;                                                                     \
    }                                                                                \
    top = 0.0;                                                                       \
    *sp++ = top; /* the skipped branch's slot */                                     \
    TM_GO(fc->ops + o->index);
    TM_FAST_COMPARE(TM_FAST_COMPARE_CASES)
#undef TM_FAST_COMPARE_CASES
#undef VAR_A
#undef VAR_F
#undef VAR_D
#undef TM_NOT_LEAF
#undef TM_NOT_STRAIGHT
#undef TM_GO
#undef TM_NEXT
#undef TM_DISPATCH
}

// A first activation of a formula that calls nothing: the frame is the data
// array and nothing needs the activation flag.
inline double run_calls_nothing(const FastCode *fc, FormulaRecord *rec, double *args) {
    return fc->host_runner(args, rec);
}

// A formula that calls something cannot start once a callee of it was
// deleted (it records the run error its CodeStart names) or when the native
// stack is used up.
[[gnu::always_inline]] inline bool refused_to_start(FormulaRecord *rec) {
    const int32_t code_start = rec->header[kCodeStart];
    if (code_start < 0) [[unlikely]] {
        refuse_invalidated(rec, kReal, code_start);
        return true;
    }
    if (native_stack_exhausted()) [[unlikely]] {
        refuse_stack_overflow(rec, kReal);
        return true;
    }
    return false;
}

// A first activation: the frame is the data array, the stack the fast form's
// own.  A formula that calls nothing can neither be re-entered nor be
// invalidated, so it skips the activation flag and the checks.
double run_first(FastCode *fc, FormulaRecord *rec, double *args) {
    auto *data = static_cast<double *>(rec->data);
    if (!args) args = data;
    if (fc->calls_nothing) return run_calls_nothing(fc, rec, args);
    if (refused_to_start(rec)) [[unlikely]]
        return 0.0;
    rec->code[0] = kRunning;
    const double r = run_real_fast<Runner::kAll>(fc, rec, args, data, fc->stack);
    rec->code[0] = kIdle;
    return r;
}

// A nested activation takes its frame from the shared stack (activation.h
// says why the two paths differ); the fast form keeps its sizes, so nothing
// is read from the record's header but the validity mark.
[[gnu::always_inline]] inline double run_nested(FastCode *fc, FormulaRecord *rec, double *args,
                                                bool in_place) {
    ValueStack<double> &stack = g_real_stack;
    // See begin_nested: a pending error (an interrupt) ends every recursion.
    if (run_error_pending()) [[unlikely]]
        return 0.0;
    if (refused_to_start(rec)) [[unlikely]]
        return 0.0;
    const int32_t last_param = fc->last_param;
    const int32_t top = stack.top;
    const int64_t new_top =
        int64_t(top) + fc->frame_slots - (in_place ? last_param : 0);
    if (new_top >= stack.limit) [[unlikely]] {
        refuse_stack_overflow(rec, kReal);
        return 0.0;
    }
    double *free_slot = stack.slots + top;
    stack.top = int32_t(new_top);
    rec->code[0] = kReentered;
    double r;
    if (in_place) {
        // Frame indices 0..last_param are never used through the frame (they
        // are the caller's slots), so its base may lie before free_slot.
        double *frame = free_slot - (last_param + 1);
        r = run_real_fast<Runner::kAll>(fc, rec, args, frame, frame + fc->var_count);
    } else {
        if (!args) args = static_cast<double *>(rec->data);
        for (int32_t i = 0; i <= last_param; ++i) free_slot[i] = args[i];
        r = run_real_fast<Runner::kAll>(fc, rec, free_slot, free_slot, free_slot + fc->var_count);
        for (int32_t i = 0; i <= last_param; ++i) args[i] = free_slot[i];
    }
    stack.top = top;
    return r;
}

// A nested activation of a running formula: its native code on the in-place
// path when it has some (that code makes run_nested's checks and takes the
// same frame), else the fast form, else the interpreter.
[[gnu::always_inline]] inline double enter_nested(FormulaRecord *rec, double *args,
                                                  bool in_place) {
    if (in_place)
        if (JitEntry native = jit_nested_entry(rec)) return native(args);
    if (FastCode *fc = rec->fast) [[likely]]
        return run_nested(fc, rec, args, in_place);
    if (in_place) g_real_stack.copy_args = 0;
    return interpret_real_nested(rec, args);
}

// The value of a push form's operand (o is a Push step or a binary step's
// right operand, `form` where it lives).
[[gnu::always_inline]] inline double operand(int form, const FastOp &o, double *args,
                                             double *data) {
    switch (form) {
    case kFormConst: return o.k;
    case kFormArg: return args[o.index];
    case kFormFrame: return data[o.index];
    default: return *o.p;
    }
}

// A formula of one or two steps (FastCode::short_form) from the host: the
// same operations as the runner's, chosen by a switch instead of threaded
// steps (a one-step pair has an entry of its own, below).
double run_short_form(double *args, FormulaRecord *rec) {
    const FastOp *o = rec->fast->ops;
    auto *data = static_cast<double *>(rec->data);
    const double x = operand(o[0].code - PushK + kFormConst, o[0], args, data);
    const FastOp &step = o[1];
    switch (step.code) {
    case Return: return x;
#define TM_SHORT_BINARY(name, expr)                                                  \
    case name##K: case name##A: case name##F: case name##D: {                        \
        const double a = x,                                                          \
                     b = operand(step.code - name##S, step, args, data);             \
        return expr;                                                                 \
    }
        TM_FAST_BINARY(TM_SHORT_BINARY)
#undef TM_SHORT_BINARY
#define TM_SHORT_UNARY(name, expr)                                                   \
    case name: {                                                                     \
        const double t = x;                                                          \
        return expr;                                                                 \
    }
        TM_FAST_UNARY(TM_SHORT_UNARY)
#undef TM_SHORT_UNARY
    default: __builtin_unreachable();
    }
}

// A formula that is one fused pair ("a+1", "a*b"): its own entry, so that the
// whole evaluation is two loads and the operation.
#define TM_PAIR_ENTRIES(name, expr)                                                  \
    double run_##name##AA(double *args, FormulaRecord *rec) {                        \
        const FastOp &o = rec->fast->ops[0];                                         \
        const double a = args[o.index], b = args[o.aux];                             \
        return expr;                                                                 \
    }                                                                                \
    double run_##name##AK(double *args, FormulaRecord *rec) {                        \
        const FastOp &o = rec->fast->ops[0];                                         \
        const double a = args[o.index], b = o.k;                                     \
        return expr;                                                                 \
    }                                                                                \
    double run_##name##KA(double *args, FormulaRecord *rec) {                        \
        const FastOp &o = rec->fast->ops[0];                                         \
        const double a = o.k, b = args[o.index];                                     \
        return expr;                                                                 \
    }
TM_FAST_PAIR(TM_PAIR_ENTRIES)
#undef TM_PAIR_ENTRIES

// Indexed by the pair's code minus AddAA.
constexpr RealEntry kPairEntries[] = {
#define TM_PAIR_ENTRY_NAMES(name, expr) run_##name##AA, run_##name##AK, run_##name##KA,
    TM_FAST_PAIR(TM_PAIR_ENTRY_NAMES)
#undef TM_PAIR_ENTRY_NAMES
};

double run_leaf(double *args, FormulaRecord *rec) {
    const FastCode *fc = rec->fast;
    return run_real_fast<Runner::kLeaf>(fc, nullptr, args, static_cast<double *>(rec->data),
                                        fc->stack);
}

double run_straight_steps(double *args, FormulaRecord *rec) {
    const FastCode *fc = rec->fast;
    return run_real_fast<Runner::kStraight>(fc, nullptr, args, static_cast<double *>(rec->data),
                                            fc->stack);
}

// Calls nothing but jumps (loops, `if`, `which`) or may record a run error.
double run_calls_nothing_steps(double *args, FormulaRecord *rec) {
    const FastCode *fc = rec->fast;
    return run_real_fast<Runner::kAll>(fc, rec, args, static_cast<double *>(rec->data),
                                       fc->stack);
}

// Native code as the record's entry.  The tier's code takes the argument
// array as its one argument; an entry's second argument (the record) goes in
// a register the native code never reads, so the entry is the code itself.
RealEntry native_as_entry(JitEntry native) {
    return reinterpret_cast<RealEntry>(reinterpret_cast<void (*)()>(native));
}

}  // namespace

void choose_host_runner(FastCode *fc) {
    if (!fc->calls_nothing) fc->host_runner = nullptr;
    else if (!fc->straight) fc->host_runner = run_calls_nothing_steps;
    else if (fc->short_form && is_pair(fc->ops[0].code))
        fc->host_runner = kPairEntries[fc->ops[0].code - AddAA];
    else if (fc->short_form) fc->host_runner = run_short_form;
    else fc->host_runner = fc->leaf ? run_leaf : run_straight_steps;
}

void choose_real_entry(FormulaRecord *rec) {
    const FastCode *fc = rec->fast;
    RealEntry entry = real_general_entry;
    // A formula that calls nothing is never running when RealCal starts it
    // and is never invalidated, so nothing but the countdown needs a test.
    if (fc && fc->calls_nothing && !rec->jit_countdown)
        entry = rec->jit ? native_as_entry(rec->jit) : fc->host_runner;
    rec->entry = entry;
}

double enter_real(FormulaRecord *rec, double *args, bool in_place) {
    FastCode *fc = rec->fast;
    if (rec->code[0] == kIdle) {
        if (JitEntry native = jit_entry(rec))
            return native(args ? args : static_cast<double *>(rec->data));
        if (fc) [[likely]]
            return run_first(fc, rec, args);
        return interpret_real_first(rec, args);
    }
    return enter_nested(rec, args, in_place);
}

}  // namespace tmx

// Every state of every record: counting toward native code, formulas that
// call others (the activation flag, invalidation, the nested path), formulas
// without a fast form.  `args` is never null here (RealCal passes the data).
double tmx::real_general_entry(double *args, FormulaRecord *rec) {
    FastCode *fc = rec->fast;
    if (fc && fc->calls_nothing) [[likely]] {
        JitEntry native = jit_entry(rec);
        // The countdown is over (this evaluation compiled the formula, or
        // the tier took no count): RealCal goes straight in from now on.
        if (!rec->jit_countdown) choose_real_entry(rec);
        if (native) return native(args);
        return run_calls_nothing(fc, rec, args);
    }
    prepare_native_stack_floor();
    return enter_real(rec, args, false);
}
