// The pre-decoded fast form of straight-line real formulas (see real_fast.h).
//
// Stack convention while running: `top` holds the top value in a register and
// the memory stack holds only the values below it; `sp` is the next free
// memory slot.  A push spills the old top into *sp (on an empty stack that is
// a harmless write into the first stack slot, which every formula has).
#include "real_fast.h"

#include <cmath>
#include <cstdlib>

#include "../address_table.h"
#include "../opcodes.h"
#include "real_math.h"

namespace tmx {

namespace {

// Binary operations: X(name, expression over a and b).  Each comes in four
// forms by where its right operand comes from: S the stack (plain byte code),
// K an inlined constant, A an argument slot, D a variable or shared cell.
#define TM_FAST_BINARY(X)                                                            \
    X(Add, a + b)                                                                    \
    X(Sub, a - b)                                                                    \
    X(Mul, a *b)                                                                     \
    X(Div, a / b)                                                                    \
    X(Pow, std::pow(a, b))                                                           \
    X(Gt, a > b ? 1.0 : 0.0)                                                         \
    X(Ge, a >= b ? 1.0 : 0.0)                                                        \
    X(Lt, a < b ? 1.0 : 0.0)                                                         \
    X(Le, a <= b ? 1.0 : 0.0)                                                        \
    X(Eq, a == b ? 1.0 : 0.0)                                                        \
    X(Ne, a != b ? 1.0 : 0.0)                                                        \
    X(And, a != 0 && b != 0 ? 1.0 : 0.0)                                             \
    X(Or, a != 0 || b != 0 ? 1.0 : 0.0)                                              \
    X(Atan2, std::atan2(a, b))                                                       \
    X(Fmod, std::fmod(a, b))                                                         \
    X(Sign, real_math::sign(a, b))                                                   \
    X(Dim, real_math::dim(a, b))                                                     \
    X(Padd, real_math::padd(a, b))

// One-operand operations on the top: X(name, expression over t).
#define TM_FAST_UNARY(X)                                                             \
    X(Neg, -t)                                                                       \
    X(Not, t == 0 ? 1.0 : 0.0)                                                       \
    X(Sqrt, std::sqrt(t))                                                            \
    X(Exp, std::exp(t))                                                              \
    X(Ln, std::log(t))                                                               \
    X(Lg, std::log10(t))                                                             \
    X(Sin, std::sin(t))                                                              \
    X(Cos, std::cos(t))                                                              \
    X(Tan, std::tan(t))                                                              \
    X(Asin, std::asin(t))                                                            \
    X(Acos, std::acos(t))                                                            \
    X(Atan, std::atan(t))                                                            \
    X(Sinh, std::sinh(t))                                                            \
    X(Cosh, std::cosh(t))                                                            \
    X(Tanh, std::tanh(t))                                                            \
    X(Abs, std::fabs(t))                                                             \
    X(Floor, std::floor(t))                                                          \
    X(Ceil, std::ceil(t))                                                            \
    X(Itor, real_math::itor(t))                                                      \
    X(Rtoi, real_math::rtoi(t))

enum FastOpcode : uint8_t {
    PushK,
    PushA,
    PushD,
    StoreA,
    StoreD,
    DropKeep,
    // Increments and decrements: Pre* change the variable, then push it;
    // Post* push it, then change it.
    PreIncA, PreIncD, PreDecA, PreDecD,
    PostIncA, PostIncD, PostDecA, PostDecD,
    Return,
#define TM_FAST_BINARY_ENUM(name, expr) name##S, name##K, name##A, name##D,
    TM_FAST_BINARY(TM_FAST_BINARY_ENUM)
#undef TM_FAST_BINARY_ENUM
#define TM_FAST_UNARY_ENUM(name, expr) name,
    TM_FAST_UNARY(TM_FAST_UNARY_ENUM)
#undef TM_FAST_UNARY_ENUM
};

// Operand forms, in the order of the four variants of a binary operation.
enum OperandForm : uint8_t { kFormStack = 0, kFormConst = 1, kFormArg = 2, kFormSlot = 3 };

}  // namespace

struct FastOp {
    uint8_t code;
    int32_t index; // argument index (A forms), slot count (DropKeep)
    union {
        double k;  // constant (K forms)
        double *p; // variable or shared cell (D forms)
    };
};

struct FastCode {
    double *stack_base;
    FastOp ops[1]; // as many as the translation produced
};

namespace {

// Binary instruction bytes of the byte code, in the order of TM_FAST_BINARY.
int binary_position(uint8_t byte) {
    switch (byte) {
    case OpAdd: return 0;
    case OpSub: return 1;
    case OpMul: return 2;
    case OpDiv: return 3;
    case OpPow: return 4;
    case OpGt: return 5;
    case OpGe: return 6;
    case OpLt: return 7;
    case OpLe: return 8;
    case OpEq: return 9;
    case OpNe: return 10;
    case OpAnd: return 11;
    case OpOr: return 12;
    default: break;
    }
    if (byte >= kFirstBuiltin + real_op::atan2_ && byte <= kFirstBuiltin + real_op::padd_)
        return 13 + (byte - (kFirstBuiltin + real_op::atan2_));
    return -1;
}

// One-operand instruction bytes, in the order of TM_FAST_UNARY; byte 45
// ("return", never emitted) runs as sqrt, like the interpreter.
int unary_position(uint8_t byte) {
    if (byte == OpNeg) return 0;
    if (byte == OpNot) return 1;
    if (byte >= kFirstBuiltin && byte <= kFirstBuiltin + real_op::rtoi_)
        return 2 + (byte == kFirstBuiltin ? 0 : byte - kRealSqrt);
    return -1;
}

// A push not emitted yet: it may still fuse with a binary operation.
struct PendingPush {
    OperandForm form = kFormStack; // kFormStack: nothing pending
    int32_t index = 0;
    double k = 0;
    double *p = nullptr;
};

class Translator {
  public:
    Translator(const FormulaRecord *rec, FastOp *out)
        : rec_(rec), h_(rec->header), data_(static_cast<double *>(rec->data)), out_(out) {}

    // False when the formula is not straight-line.
    bool run() {
        const uint8_t *ip = rec_->code + h_[kCodeStart];
        const uint8_t *end = rec_->code + h_[kCodeLength];
        const int32_t *op = h_ + kOperandStart;
        const double *cp = data_ + h_[kVarCount];
        while (ip < end) {
            const uint8_t byte = *ip++;
            if (byte == OpReturn) {
                flush();
                if (depth_ < 1) return false;
                emit(Return);
                return true;
            }
            if (byte == OpPushConst) {
                push_operand({kFormConst, 0, *cp++, nullptr});
                continue;
            }
            if (byte == OpPushVar || byte == OpPushCommon) {
                push_operand(operand(byte, *op++));
                continue;
            }
            if (int b = binary_position(byte); b >= 0) {
                if (pending_.form != kFormStack) {
                    if (depth_ < 1) return false;
                    emit_operand(uint8_t(AddS + 4 * b + pending_.form), pending_);
                    pending_.form = kFormStack;
                } else {
                    if (depth_ < 2) return false;
                    emit(uint8_t(AddS + 4 * b));
                    --depth_;
                }
                continue;
            }
            flush();
            if (int u = unary_position(byte); u >= 0) {
                if (depth_ < 1) return false;
                emit(uint8_t(Neg + u));
                continue;
            }
            if (!other(byte, op)) return false;
        }
        return false; // no OpReturn: not a record the compiler makes
    }

    size_t count() const { return n_; }

  private:
    PendingPush operand(uint8_t byte, int32_t word) {
        if (byte == OpPushCommon)
            return {kFormSlot, 0, 0, static_cast<double *>(address_at(uint32_t(word)))};
        if (word <= h_[kLastParam]) return {kFormArg, word, 0, nullptr};
        return {kFormSlot, 0, 0, data_ + word};
    }

    void push_operand(PendingPush p) {
        flush();
        pending_ = p;
    }

    // Emits the pending push as a push of its own.
    void flush() {
        if (pending_.form == kFormStack) return;
        static constexpr uint8_t kPush[] = {0, PushK, PushA, PushD};
        emit_operand(kPush[pending_.form], pending_);
        pending_.form = kFormStack;
        ++depth_;
    }

    // Stores, DropKeep and the increments; false for anything else.
    bool other(uint8_t byte, const int32_t *&op) {
        switch (byte) {
        case OpStoreVar:
        case OpStoreCommon: {
            if (depth_ < 1) return false;
            PendingPush t = operand(byte == OpStoreVar ? OpPushVar : OpPushCommon, *op++);
            emit_operand(t.form == kFormArg ? StoreA : StoreD, t);
            return true;
        }
        case OpDropKeep: {
            const int32_t n = *op++;
            if (n < 0 || n >= depth_) return false;
            FastOp &o = emit(DropKeep);
            o.index = n;
            depth_ -= n;
            return true;
        }
        case OpPreIncVar: case OpPreDecVar: case OpPostIncVar: case OpPostDecVar:
        case OpPreIncCommon: case OpPreDecCommon: case OpPostIncCommon: case OpPostDecCommon: {
            const bool common = byte == OpPreIncCommon || byte == OpPreDecCommon ||
                                byte == OpPostIncCommon || byte == OpPostDecCommon;
            const bool pre = byte == OpPreIncVar || byte == OpPreDecVar ||
                             byte == OpPreIncCommon || byte == OpPreDecCommon;
            const bool inc = byte == OpPreIncVar || byte == OpPostIncVar ||
                             byte == OpPreIncCommon || byte == OpPostIncCommon;
            PendingPush t = operand(common ? OpPushCommon : OpPushVar, *op++);
            // Variants are laid out as {A, D} pairs: Inc before Dec, Pre before Post.
            const int variant = (pre ? 0 : 4) + (inc ? 0 : 2) + (t.form == kFormArg ? 0 : 1);
            emit_operand(uint8_t(PreIncA + variant), t);
            ++depth_;
            return true;
        }
        default:
            return false; // calls, jumps, string access, bytes of no instruction
        }
    }

    FastOp &emit(uint8_t code) {
        FastOp &o = out_[n_++];
        o.code = code;
        o.index = 0;
        o.k = 0;
        return o;
    }

    FastOp &emit_operand(uint8_t code, const PendingPush &p) {
        FastOp &o = emit(code);
        o.index = p.index;
        if (p.form == kFormConst)
            o.k = p.k;
        else if (p.form == kFormSlot)
            o.p = p.p;
        return o;
    }

    const FormulaRecord *rec_;
    const int32_t *h_;
    double *data_;
    FastOp *out_;
    size_t n_ = 0;
    int32_t depth_ = 0;
    PendingPush pending_;
};

}  // namespace

FastCode *build_real_fast_code(const FormulaRecord *rec) {
    const int32_t *h = rec->header;
    const int32_t code_bytes = h[kCodeLength] - h[kCodeStart];
    if (h[kCodeStart] < 0 || code_bytes < 1) return nullptr;
    // Every instruction byte gives at most one fast step.
    size_t bytes = sizeof(FastCode) + size_t(code_bytes) * sizeof(FastOp);
    auto *fc = static_cast<FastCode *>(std::malloc(bytes));
    if (!fc) return nullptr;
    Translator t(rec, fc->ops);
    if (!t.run()) {
        std::free(fc);
        return nullptr;
    }
    fc->stack_base = static_cast<double *>(rec->data) + h[kStackBase];
    return fc;
}

void free_fast_code(FastCode *code) { std::free(code); }

// Threaded dispatch: every step ends with its own jump to the next step's
// handler, so each handler's branch is predicted on its own history.
double run_real_fast(const FastCode *fc, double *args) {
    static const void *const kHandlers[] = {
        &&PushK, &&PushA, &&PushD, &&StoreA, &&StoreD, &&DropKeep,
        &&PreIncA, &&PreIncD, &&PreDecA, &&PreDecD,
        &&PostIncA, &&PostIncD, &&PostDecA, &&PostDecD, &&Return,
#define TM_FAST_BINARY_LABELS(name, expr) &&name##S, &&name##K, &&name##A, &&name##D,
        TM_FAST_BINARY(TM_FAST_BINARY_LABELS)
#undef TM_FAST_BINARY_LABELS
#define TM_FAST_UNARY_LABELS(name, expr) &&name,
        TM_FAST_UNARY(TM_FAST_UNARY_LABELS)
#undef TM_FAST_UNARY_LABELS
    };
    static_assert(sizeof kHandlers / sizeof kHandlers[0] == size_t(Rtoi) + 1);

    double *sp = fc->stack_base;
    double top = 0.0;
    const FastOp *o = fc->ops;
#define TM_NEXT goto *kHandlers[(++o)->code]
    goto *kHandlers[o->code];

PushK: *sp++ = top; top = o->k; TM_NEXT;
PushA: *sp++ = top; top = args[o->index]; TM_NEXT;
PushD: *sp++ = top; top = *o->p; TM_NEXT;
StoreA: args[o->index] = top; TM_NEXT;
StoreD: *o->p = top; TM_NEXT;
DropKeep: sp -= o->index; TM_NEXT;
PreIncA: *sp++ = top; top = args[o->index] += 1.0; TM_NEXT;
PreIncD: *sp++ = top; top = *o->p += 1.0; TM_NEXT;
PreDecA: *sp++ = top; top = args[o->index] -= 1.0; TM_NEXT;
PreDecD: *sp++ = top; top = *o->p -= 1.0; TM_NEXT;
PostIncA: *sp++ = top; top = args[o->index]; args[o->index] += 1.0; TM_NEXT;
PostIncD: *sp++ = top; top = *o->p; *o->p += 1.0; TM_NEXT;
PostDecA: *sp++ = top; top = args[o->index]; args[o->index] -= 1.0; TM_NEXT;
PostDecD: *sp++ = top; top = *o->p; *o->p -= 1.0; TM_NEXT;
Return: return top;
#define TM_FAST_BINARY_CASES(name, expr)                                             \
    name##S: { const double b = top, a = *--sp; top = expr; } TM_NEXT;               \
    name##K: { const double b = o->k, a = top; top = expr; } TM_NEXT;                \
    name##A: { const double b = args[o->index], a = top; top = expr; } TM_NEXT;      \
    name##D: { const double b = *o->p, a = top; top = expr; } TM_NEXT;
    TM_FAST_BINARY(TM_FAST_BINARY_CASES)
#undef TM_FAST_BINARY_CASES
#define TM_FAST_UNARY_CASES(name, expr)                                              \
    name: { const double t = top; top = expr; } TM_NEXT;
    TM_FAST_UNARY(TM_FAST_UNARY_CASES)
#undef TM_FAST_UNARY_CASES
#undef TM_NEXT
}

}  // namespace tmx
