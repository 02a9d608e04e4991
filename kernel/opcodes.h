// The instruction set shared by the three evaluators: the only place where
// opcodes and the facts about them are defined.  The enum, the names, the
// operand layouts, the stack effects and the control flow all come from the
// one table below; the disassembler, the evaluators' jump readers, the record
// verifier of the tests and the built-in tables read them from here.
//
// A formula runs as a stack machine over three input streams:
//   - instruction bytes in the code array (one byte per instruction),
//   - the integer operand stream in the header array (from entry 15 on),
//   - the constants in the data array (from VarCount on; OpPushConst takes the
//     next one, so it needs no operand).
// A jump therefore names a position in every stream it moves:
//   code  - byte offset from byte 0 of the code array,
//   const - data index of the next constant,
//   int   - header index of the next operand,
//   slot  - the new stack top, counted from the running activation's stack
//           base (-1 = empty).
// "a" is the value below the top, "b" the top.  Two-operand instructions pop
// both and push the result.  Truth values are 1 and 0.
//
// Operand kinds (each is one 32-bit word of the operand stream):
//   v      variable index (see record.h, "variable addressing")
//   cell   address-table index of a shared (module or common) cell
//   callee address-table index of the called formula or external function
//   m      argument count minus one of a call
//   n      a count of stack slots
//   code/const/int/slot  jump positions as above
// Calls (20-23) are followed in the *code* array by a write-back list: tag
// bytes ended by a 0 byte, each tag taking two operands {k, target} from the
// operand stream (tag 2: target is a variable index; other non-zero tags,
// written as 3: target is a cell index).
#pragma once

#include <cstdint>

namespace tmx {

// What an instruction reads from the operand and constant streams, in stream
// order.  The order of the jump words is the record format's and differs
// between layouts; JumpWords below is the only place that knows it.
enum class Operands : uint8_t {
    None,     // -
    Constant, // one constant, no operand word
    Var,      // v
    Cell,     // cell
    Call,     // callee, m; then the write-back list
    Count,    // n
    Branch,   // code, const, int
    Goto,     // code, const, slot, int
    Until,    // slot, code, const, int
    WhichEnd, // code, const, n, int
};

// Word positions of the jump and count operands within an instruction's
// operands (-1: the layout has no such word).
struct JumpWords {
    int8_t code, konst, slot, n, word;
    int8_t words; // operand words in all
};

constexpr JumpWords jump_words(Operands layout) {
    switch (layout) {
    case Operands::Var:
    case Operands::Cell: return {-1, -1, -1, -1, -1, 1};
    case Operands::Call: return {-1, -1, -1, -1, -1, 2};
    case Operands::Count: return {-1, -1, -1, 0, -1, 1};
    case Operands::Branch: return {0, 1, -1, -1, 2, 3};
    case Operands::Goto: return {0, 1, 2, -1, 3, 4};
    case Operands::Until: return {1, 2, 0, -1, 3, 4};
    case Operands::WhichEnd: return {0, 1, -1, 2, 3, 4};
    default: return {-1, -1, -1, -1, -1, 0};
    }
}

// The operands of an instruction with a jump, read in one place.  `w` points
// at its first operand word.
struct JumpOperands {
    int32_t code, konst, slot, n, word;
};

constexpr JumpOperands read_jump(Operands layout, const int32_t *w) {
    const JumpWords at = jump_words(layout);
    return {w[at.code], w[at.konst], at.slot >= 0 ? w[at.slot] : 0, at.n >= 0 ? w[at.n] : 0,
            w[at.word]};
}

// The evaluators' form: the layout is a constant, so the positions are too.
template <Operands Layout> constexpr JumpOperands read_jump(const int32_t *w) {
    static_assert(jump_words(Layout).code >= 0, "the layout has no jump");
    return read_jump(Layout, w);
}

// How an instruction changes the stack depth d.  `need` values must be on
// the stack before it runs; after it the depth is, on the path that goes on
// to the next instruction (`next`) and on the path that jumps (`taken`):
//   Fixed  d + next / d + taken
//   Count  the n operand counts on top: needs n + need; d - n + next/taken
//   Args   a call with argument count m+1: needs m+1 and leaves d - m; with
//          no arguments (m < 0) it takes a fresh result slot: d + 1
//   Slot   the slot operand sets it: slot + next / slot + taken, and the
//          jump path may not go more than `rise` above d (only OpBreak
//          creates a value there, its 0)
// `spare` cells must be free above the new top (the increments use one).
enum class Depth : uint8_t { Fixed, Count, Args, Slot };

struct StackEffect {
    Depth by;
    int8_t need, next, taken, spare, rise;
};

constexpr StackEffect fixed(int need, int next, int taken = 0, int spare = 0) {
    return {Depth::Fixed, int8_t(need), int8_t(next), int8_t(taken), int8_t(spare), 0};
}
constexpr StackEffect counted(int need, int next, int taken = 0) {
    return {Depth::Count, int8_t(need), int8_t(next), int8_t(taken), 0, 0};
}
constexpr StackEffect by_args() { return {Depth::Args, 0, 0, 0, 0, 0}; }
constexpr StackEffect to_slot(int need, int next, int taken, int rise = 0) {
    return {Depth::Slot, int8_t(need), int8_t(next), int8_t(taken), 0, int8_t(rise)};
}

// Where control goes after an instruction: on to the next one, either there
// or to its jump target, only to the jump target, or out of the activation.
// (OpContinue with a run error pending runs the record's final OpReturn.)
enum class Flow : uint8_t { Next, Branch, Jump, Return };

// X(number, Name, operand layout, stack effect, control flow, meaning)
#define TM_OPCODES(X)                                                                       \
    X(0, OpReturn, None, fixed(1, 0), Return, "end the activation; result = top")          \
    X(1, OpPushConst, Constant, fixed(0, 1), Next, "push the next constant")               \
    X(2, OpPushVar, Var, fixed(0, 1), Next, "v: push variable v")                          \
    X(3, OpPushCommon, Cell, fixed(0, 1), Next, "cell: push the shared cell")              \
    X(4, OpAdd, None, fixed(2, -1), Next, "a+b")                                           \
    X(5, OpSub, None, fixed(2, -1), Next, "a-b")                                           \
    X(6, OpMul, None, fixed(2, -1), Next, "a*b")                                           \
    X(7, OpDiv, None, fixed(2, -1), Next, "a/b")                                           \
    X(8, OpPow, None, fixed(2, -1), Next, "real: a^b; integer: a%b; complex: a^b")         \
    X(9, OpGt, None, fixed(2, -1), Next, "a>b")                                            \
    X(10, OpGe, None, fixed(2, -1), Next, "a>=b")                                          \
    X(11, OpLt, None, fixed(2, -1), Next, "a<b")                                           \
    X(12, OpLe, None, fixed(2, -1), Next, "a<=b")                                          \
    X(13, OpEq, None, fixed(2, -1), Next, "a==b")                                          \
    X(14, OpNe, None, fixed(2, -1), Next, "a!=b")                                          \
    X(15, OpAnd, None, fixed(2, -1), Next, "a!=0 and b!=0 (both already evaluated)")       \
    X(16, OpOr, None, fixed(2, -1), Next, "a!=0 or b!=0")                                  \
    X(17, OpNot, None, fixed(1, 0), Next, "top = (top == 0)")                              \
    X(18, OpStoreVar, Var, fixed(1, 0), Next, "v: variable v = top (top stays)")           \
    X(19, OpStoreCommon, Cell, fixed(1, 0), Next, "cell: cell = top (top stays)")          \
    X(20, OpCallInt, Call, by_args(), Next, "callee, m: call an integer formula")          \
    X(21, OpCallReal, Call, by_args(), Next, "callee, m: call a real formula")             \
    X(22, OpCallComplex, Call, by_args(), Next, "callee, m: call a complex formula")       \
    X(23, OpCallExternal, Call, by_args(), Next, "callee, m: call an external function")   \
    X(24, OpDropKeep, Count, counted(1, 0), Next, "n: slot[top-n] = top; pop n")           \
    X(25, OpIfTest, Branch, fixed(1, 0, 0), Branch, "if top == 0: top = +0, jump")         \
    X(26, OpIfEnd, Count, counted(1, 0), Next, "n: pop n; top = 0")                        \
    X(27, OpWhileTest, Branch, fixed(1, 0, 0), Branch, "if top == 0 or error pending: jump") \
    X(28, OpJump, Goto, to_slot(0, 0, 1), Jump, "jump; stack pointer = slot")              \
    X(29, OpBreak, Goto, to_slot(0, 0, 1, 1), Jump, "as OpJump, then top = 0")                \
    X(30, OpContinue, Goto, to_slot(0, 0, 1), Jump,                                        \
      "error pending: run the final OpReturn; else as OpJump")                             \
    X(31, OpUntilTest, Until, to_slot(1, 2, 1), Branch,                                    \
      "top == 0 and no error: sp = slot, jump; else sp = slot+1, top = 0")                 \
    X(32, OpWhichTest, Branch, fixed(1, 0, 1), Branch,                                     \
      "if top == 0: push a skipped slot, jump")                                            \
    X(33, OpWhichEnd, WhichEnd, counted(1, 0, 0), Jump, "slot[top-n] = top; pop n; jump")  \
    X(34, OpWhichNone, Count, counted(1, 0), Next, "n: run error \"which\" if none pending; pop n") \
    X(35, OpWhichDefault, Count, counted(1, 0), Next, "n: slot[top-n] = top; pop n")       \
    X(36, OpNeg, None, fixed(1, 0), Next, "top = -top")                                    \
    X(37, OpPreIncVar, Var, fixed(0, 1, 0, 1), Next, "v: v = v+1; push v")                 \
    X(38, OpPreDecVar, Var, fixed(0, 1, 0, 1), Next, "v: v = v-1; push v")                 \
    X(39, OpPreIncCommon, Cell, fixed(0, 1, 0, 1), Next, "cell: cell = cell+1; push cell") \
    X(40, OpPreDecCommon, Cell, fixed(0, 1, 0, 1), Next, "cell: cell = cell-1; push cell") \
    X(41, OpPostIncVar, Var, fixed(0, 1, 0, 1), Next, "v: push v; v = v+1")                \
    X(42, OpPostDecVar, Var, fixed(0, 1, 0, 1), Next, "v: push v; v = v-1")                \
    X(43, OpPostIncCommon, Cell, fixed(0, 1, 0, 1), Next, "cell: push cell; cell = cell+1") \
    X(44, OpPostDecCommon, Cell, fixed(0, 1, 0, 1), Next, "cell: push cell; cell = cell-1")

enum Opcode : uint8_t {
#define TM_OPCODE_ENUM(num, name, layout, effect, flow, meaning) name = num,
    TM_OPCODES(TM_OPCODE_ENUM)
#undef TM_OPCODE_ENUM
};

// Number of opcodes shared by the three types; built-ins start here.
inline constexpr int kFirstBuiltin = 45;

#define TM_OPCODE_COUNT(num, name, layout, effect, flow, meaning) +1
static_assert(0 TM_OPCODES(TM_OPCODE_COUNT) == kFirstBuiltin,
              "the shared instruction table must have exactly 45 entries");
#undef TM_OPCODE_COUNT

// Everything the table says about one shared instruction.
struct OpcodeInfo {
    const char *name;
    Operands layout;
    StackEffect effect;
    Flow flow;
    const char *meaning;
};

inline constexpr OpcodeInfo kOpcodes[kFirstBuiltin] = {
#define TM_OPCODE_INFO(num, name, layout, effect, flow, meaning)                            \
    {#name, Operands::layout, effect, Flow::flow, meaning},
    TM_OPCODES(TM_OPCODE_INFO)
#undef TM_OPCODE_INFO
};

// The layout of a shared instruction, as a constant for the evaluators'
// jump readers: read_jump<layout_of(OpJump)>(op).
constexpr Operands layout_of(Opcode op) { return kOpcodes[op].layout; }

// Operand words each shared instruction takes from the operand stream (calls
// add two words per write-back entry on top of this).
constexpr int operand_words(uint8_t op) {
    return op < kFirstBuiltin ? jump_words(kOpcodes[op].layout).words : 0;
}

// The depths a shared instruction needs and leaves, given the stack depth d
// before it and its operand words w: the one reading of the StackEffect
// column, for the record verifier and the tests that hold the evaluators to it.
struct DepthChange {
    int32_t need;        // values that must be on the stack
    int32_t next, taken; // depth on the fall-through and on the jump path
    int32_t spare;       // free cells needed above the new top
    int32_t most;        // the jump path may not leave more than this
};

constexpr DepthChange depth_change(uint8_t op, const int32_t *w, int32_t d) {
    const OpcodeInfo &info = kOpcodes[op];
    const StackEffect e = info.effect;
    const JumpWords at = jump_words(info.layout);
    switch (e.by) {
    case Depth::Count: {
        const int32_t n = w[at.n];
        return {n + e.need, d - n + e.next, d - n + e.taken, e.spare, d};
    }
    case Depth::Args: {
        const int32_t m = w[1];
        if (m < 0) return {0, d + 1, d + 1, 0, d + 1};
        return {m + 1, d - m, d - m, 0, d};
    }
    case Depth::Slot: {
        const int32_t slot = w[at.slot];
        return {e.need, slot + e.next, slot + e.taken, e.spare, d + e.rise};
    }
    default: return {e.need, d + e.next, d + e.taken, e.spare, d + e.taken};
    }
}

// Built-in instructions: position k of a type's table has opcode 45+k.
// X(name, arguments, folds): `folds` is 1 when the compiler folds the
// instruction on a constant argument.  Position 0 ("return") is never emitted
// (the compiler writes OpReturn); a byte 45 found in a record executes like
// 46.  A type's one-argument built-ins all come before its two-argument ones.
#define TM_REAL_BUILTINS(X)                                                          \
    X(return, 1, 0) X(sqrt, 1, 1) X(exp, 1, 1) X(ln, 1, 1) X(lg, 1, 1) X(sin, 1, 1)  \
    X(cos, 1, 1) X(tan, 1, 1) X(asin, 1, 1) X(acos, 1, 1) X(atan, 1, 1)              \
    X(sinh, 1, 1) X(cosh, 1, 1) X(tanh, 1, 1) X(abs, 1, 1) X(floor, 1, 1)            \
    X(ceil, 1, 1) X(itor, 1, 1) X(rtoi, 1, 1) X(getc, 1, 0) X(getw, 1, 0)            \
    X(getn, 1, 0) X(atan2, 2, 0) X(fmod, 2, 0) X(sign, 2, 0) X(dim, 2, 0)            \
    X(padd, 2, 0) X(setc, 2, 0) X(setw, 2, 0) X(setn, 2, 0)

#define TM_INT_BUILTINS(X)                                                           \
    X(return, 1, 0) X(abs, 1, 1) X(not, 1, 1) X(itor, 1, 1) X(rtoi, 1, 1)            \
    X(itop, 1, 1) X(ptoi, 1, 1) X(getc, 1, 0) X(getw, 1, 0) X(getn, 1, 0)            \
    X(or, 2, 0) X(and, 2, 0) X(xor, 2, 0) X(shl, 2, 0) X(shr, 2, 0) X(padd, 2, 0)    \
    X(setc, 2, 0) X(setw, 2, 0) X(setn, 2, 0)

#define TM_COMPLEX_BUILTINS(X)                                                       \
    X(return, 1, 0) X(sqrt, 1, 1) X(exp, 1, 1) X(ln, 1, 1) X(sin, 1, 1)              \
    X(cos, 1, 1) X(abs, 1, 1) X(floor, 1, 1) X(ceil, 1, 1) X(con, 1, 1)             \
    X(xy, 1, 1) X(x0, 1, 1) X(y0, 1, 1) X(itor, 1, 1) X(rtoi, 1, 1) X(getc, 1, 0)    \
    X(getw, 1, 0) X(getn, 1, 0) X(setc, 2, 0) X(setw, 2, 0) X(setn, 2, 0)

namespace real_op {
enum : uint8_t {
#define TM_BUILTIN_ENUM(name, args, folds) name##_,
    TM_REAL_BUILTINS(TM_BUILTIN_ENUM)
#undef TM_BUILTIN_ENUM
    count_
};
}  // namespace real_op

namespace int_op {
enum : uint8_t {
#define TM_BUILTIN_ENUM(name, args, folds) name##_,
    TM_INT_BUILTINS(TM_BUILTIN_ENUM)
#undef TM_BUILTIN_ENUM
    count_
};
}  // namespace int_op

namespace complex_op {
enum : uint8_t {
#define TM_BUILTIN_ENUM(name, args, folds) name##_,
    TM_COMPLEX_BUILTINS(TM_BUILTIN_ENUM)
#undef TM_BUILTIN_ENUM
    count_
};
}  // namespace complex_op

// Real built-in opcodes by name, e.g. kRealSqrt == 46.
inline constexpr uint8_t kRealReturn = kFirstBuiltin + real_op::return_;
inline constexpr uint8_t kRealSqrt = kFirstBuiltin + real_op::sqrt_;
inline constexpr uint8_t kRealGetc = kFirstBuiltin + real_op::getc_;
inline constexpr uint8_t kRealAtan2 = kFirstBuiltin + real_op::atan2_;
inline constexpr uint8_t kRealSetn = kFirstBuiltin + real_op::setn_;
static_assert(kRealSqrt == 46 && kRealGetc == 64 && kRealAtan2 == 67 && kRealSetn == 74);

// Table of a type's built-in instruction names, with the facts the compiler,
// the evaluators and the verifier need.  Built from the lists above in
// builtin_tables.cpp.
struct BuiltinTable {
    const char16_t *const *names;  // position k -> name of opcode 45+k
    int count;                     // number of names
    int one_arg;                   // positions [0, one_arg) take one argument
    uint8_t fold_first, fold_last; // opcodes folded on a constant argument
    uint8_t highest;               // highest valid instruction byte
};

// Facts of one list, computed at compile time so that the evaluators can
// use them as constants (first two-argument opcode, highest opcode).
struct BuiltinShape {
    int count, one_arg, fold_first, fold_last;
    bool one_arg_first; // no one-argument built-in after a two-argument one
    bool folds_contiguous;

    constexpr uint8_t first_binary() const { return uint8_t(kFirstBuiltin + one_arg); }
    constexpr uint8_t highest() const { return uint8_t(kFirstBuiltin + count - 1); }
};

template <int N> constexpr BuiltinShape builtin_shape(const int (&args)[N], const int (&folds)[N]) {
    BuiltinShape s{N, 0, 0, -1, true, true};
    while (s.one_arg < N && args[s.one_arg] == 1) ++s.one_arg;
    for (int k = s.one_arg; k < N; ++k)
        if (args[k] != 2) s.one_arg_first = false;
    for (int k = 0; k < N; ++k) {
        if (!folds[k]) continue;
        if (s.fold_last < 0) s.fold_first = kFirstBuiltin + k;
        else if (s.fold_last != kFirstBuiltin + k - 1) s.folds_contiguous = false;
        s.fold_last = kFirstBuiltin + k;
    }
    return s;
}

#define TM_BUILTIN_ARGS(name, args, folds) args,
#define TM_BUILTIN_FOLDS(name, args, folds) folds,
namespace builtin_lists {
inline constexpr int kRealArgs[] = {TM_REAL_BUILTINS(TM_BUILTIN_ARGS)};
inline constexpr int kRealFolds[] = {TM_REAL_BUILTINS(TM_BUILTIN_FOLDS)};
inline constexpr int kIntArgs[] = {TM_INT_BUILTINS(TM_BUILTIN_ARGS)};
inline constexpr int kIntFolds[] = {TM_INT_BUILTINS(TM_BUILTIN_FOLDS)};
inline constexpr int kComplexArgs[] = {TM_COMPLEX_BUILTINS(TM_BUILTIN_ARGS)};
inline constexpr int kComplexFolds[] = {TM_COMPLEX_BUILTINS(TM_BUILTIN_FOLDS)};
}  // namespace builtin_lists
#undef TM_BUILTIN_ARGS
#undef TM_BUILTIN_FOLDS

inline constexpr BuiltinShape kRealShape =
    builtin_shape(builtin_lists::kRealArgs, builtin_lists::kRealFolds);
inline constexpr BuiltinShape kIntShape =
    builtin_shape(builtin_lists::kIntArgs, builtin_lists::kIntFolds);
inline constexpr BuiltinShape kComplexShape =
    builtin_shape(builtin_lists::kComplexArgs, builtin_lists::kComplexFolds);

// The compiler's argument check and the evaluators' two-operand split rely on
// one-argument built-ins coming first, and folding on one range.
static_assert(kRealShape.one_arg_first && kIntShape.one_arg_first &&
              kComplexShape.one_arg_first);
static_assert(kRealShape.folds_contiguous && kIntShape.folds_contiguous &&
              kComplexShape.folds_contiguous);
static_assert(kRealShape.highest() == 74 && kIntShape.highest() == 63 &&
              kComplexShape.highest() == 65);

extern const BuiltinTable kRealBuiltins;
extern const BuiltinTable kIntBuiltins;
extern const BuiltinTable kComplexBuiltins;

// Name of any instruction byte of the given type (1, 2, 3), for the
// disassembler and traces; "?" for bytes outside the type's set.
const char *opcode_name(int type, uint8_t op);

}  // namespace tmx
