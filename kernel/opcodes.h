// The instruction set shared by the three evaluators: the only place where
// opcodes are defined.  The enum, the names, the disassembler and the operand
// counts all come from this one table.
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
// Operand kinds in the table (each is one 32-bit word of the operand stream):
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

// X(number, Name, operand words, effect)
#define TM_OPCODES(X)                                                                       \
    X(0, OpReturn, 0, "end the activation; result = top")                                  \
    X(1, OpPushConst, 0, "push the next constant")                                         \
    X(2, OpPushVar, 1, "v: push variable v")                                               \
    X(3, OpPushCommon, 1, "cell: push the shared cell")                                    \
    X(4, OpAdd, 0, "a+b")                                                                  \
    X(5, OpSub, 0, "a-b")                                                                  \
    X(6, OpMul, 0, "a*b")                                                                  \
    X(7, OpDiv, 0, "a/b")                                                                  \
    X(8, OpPow, 0, "real: a^b; integer: a%b; complex: a^b")                                \
    X(9, OpGt, 0, "a>b")                                                                   \
    X(10, OpGe, 0, "a>=b")                                                                 \
    X(11, OpLt, 0, "a<b")                                                                  \
    X(12, OpLe, 0, "a<=b")                                                                 \
    X(13, OpEq, 0, "a==b")                                                                 \
    X(14, OpNe, 0, "a!=b")                                                                 \
    X(15, OpAnd, 0, "a!=0 and b!=0 (both already evaluated)")                              \
    X(16, OpOr, 0, "a!=0 or b!=0")                                                         \
    X(17, OpNot, 0, "top = (top == 0)")                                                    \
    X(18, OpStoreVar, 1, "v: variable v = top (top stays)")                                \
    X(19, OpStoreCommon, 1, "cell: cell = top (top stays)")                                \
    X(20, OpCallInt, 2, "callee, m + write-back list: call an integer formula")            \
    X(21, OpCallReal, 2, "callee, m + write-back list: call a real formula")               \
    X(22, OpCallComplex, 2, "callee, m + write-back list: call a complex formula")         \
    X(23, OpCallExternal, 2, "callee, m + write-back list: call an external function")     \
    X(24, OpDropKeep, 1, "n: slot[top-n] = top; pop n")                                    \
    X(25, OpIfTest, 3, "code,const,int: if top == 0: top = +0, jump")                      \
    X(26, OpIfEnd, 1, "n: pop n; top = 0")                                                 \
    X(27, OpWhileTest, 3, "code,const,int: if top == 0 or error pending: jump")            \
    X(28, OpJump, 4, "code,const,slot,int: jump; stack pointer = slot")                    \
    X(29, OpBreak, 4, "code,const,slot,int: as OpJump, then top = 0")                      \
    X(30, OpContinue, 4, "code,const,slot,int: error pending: run the final OpReturn; "    \
                         "else as OpJump")                                                 \
    X(31, OpUntilTest, 4, "slot,code,const,int: top == 0 and no error: sp = slot, jump; "  \
                          "else sp = slot+1, top = 0")                                     \
    X(32, OpWhichTest, 3, "code,const,int: if top == 0: push a skipped slot, jump")        \
    X(33, OpWhichEnd, 4, "code,const,n,int: slot[top-n] = top; pop n; jump")              \
    X(34, OpWhichNone, 1, "n: run error \"which\" if none pending; pop n")                 \
    X(35, OpWhichDefault, 1, "n: slot[top-n] = top; pop n")                                \
    X(36, OpNeg, 0, "top = -top")                                                          \
    X(37, OpPreIncVar, 1, "v: v = v+1; push v")                                            \
    X(38, OpPreDecVar, 1, "v: v = v-1; push v")                                            \
    X(39, OpPreIncCommon, 1, "cell: cell = cell+1; push cell")                             \
    X(40, OpPreDecCommon, 1, "cell: cell = cell-1; push cell")                             \
    X(41, OpPostIncVar, 1, "v: push v; v = v+1")                                           \
    X(42, OpPostDecVar, 1, "v: push v; v = v-1")                                           \
    X(43, OpPostIncCommon, 1, "cell: push cell; cell = cell+1")                            \
    X(44, OpPostDecCommon, 1, "cell: push cell; cell = cell-1")

enum Opcode : uint8_t {
#define TM_OPCODE_ENUM(num, name, words, effect) name = num,
    TM_OPCODES(TM_OPCODE_ENUM)
#undef TM_OPCODE_ENUM
};

// Number of opcodes shared by the three types; built-ins start here.
inline constexpr int kFirstBuiltin = 45;

#define TM_OPCODE_COUNT(num, name, words, effect) +1
static_assert(0 TM_OPCODES(TM_OPCODE_COUNT) == kFirstBuiltin,
              "the shared instruction table must have exactly 45 entries");
#undef TM_OPCODE_COUNT

// Operand words each shared instruction takes from the operand stream (calls
// add two words per write-back entry on top of this).
inline constexpr uint8_t kOperandWords[kFirstBuiltin] = {
#define TM_OPCODE_WORDS(num, name, words, effect) words,
    TM_OPCODES(TM_OPCODE_WORDS)
#undef TM_OPCODE_WORDS
};

inline constexpr const char *kOpcodeNames[kFirstBuiltin] = {
#define TM_OPCODE_NAME(num, name, words, effect) #name,
    TM_OPCODES(TM_OPCODE_NAME)
#undef TM_OPCODE_NAME
};

// Built-in instructions: position k of a type's table has opcode 45+k.
// Position 0 ("return") is never emitted (the compiler writes OpReturn); a
// byte 45 found in a record executes like 46.  The first `one_arg` names take
// one argument, the rest two; codes [fold_first, fold_last] are folded when
// their argument is a constant.
#define TM_REAL_BUILTINS(X)                                                          \
    X(return) X(sqrt) X(exp) X(ln) X(lg) X(sin) X(cos) X(tan) X(asin) X(acos)       \
    X(atan) X(sinh) X(cosh) X(tanh) X(abs) X(floor) X(ceil) X(itor) X(rtoi)         \
    X(getc) X(getw) X(getn) X(atan2) X(fmod) X(sign) X(dim) X(padd) X(setc)         \
    X(setw) X(setn)

#define TM_INT_BUILTINS(X)                                                           \
    X(return) X(abs) X(not) X(itor) X(rtoi) X(itop) X(ptoi) X(getc) X(getw)         \
    X(getn) X(or) X(and) X(xor) X(shl) X(shr) X(padd) X(setc) X(setw) X(setn)

#define TM_COMPLEX_BUILTINS(X)                                                       \
    X(return) X(sqrt) X(exp) X(ln) X(sin) X(cos) X(abs) X(floor) X(ceil) X(con)     \
    X(xy) X(x0) X(y0) X(itor) X(rtoi) X(getc) X(getw) X(getn) X(setc) X(setw)       \
    X(setn)

namespace real_op {
enum : uint8_t {
#define TM_BUILTIN_ENUM(name) name##_,
    TM_REAL_BUILTINS(TM_BUILTIN_ENUM)
#undef TM_BUILTIN_ENUM
    count_
};
}  // namespace real_op

namespace int_op {
enum : uint8_t {
#define TM_BUILTIN_ENUM(name) name##_,
    TM_INT_BUILTINS(TM_BUILTIN_ENUM)
#undef TM_BUILTIN_ENUM
    count_
};
}  // namespace int_op

namespace complex_op {
enum : uint8_t {
#define TM_BUILTIN_ENUM(name) name##_,
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

// Table of a type's built-in instruction names, with the facts the compiler
// needs.  Defined in builtin_tables.cpp.
struct BuiltinTable {
    const char16_t *const *names;  // position k -> name of opcode 45+k
    int count;                     // number of names
    int one_arg;                   // positions [0, one_arg) take one argument
    uint8_t fold_first, fold_last; // opcodes folded on a constant argument
    uint8_t highest;               // highest valid instruction byte
};

extern const BuiltinTable kRealBuiltins;
extern const BuiltinTable kIntBuiltins;
extern const BuiltinTable kComplexBuiltins;

// Name of any instruction byte of the given type (1, 2, 3), for the
// disassembler and traces; "?" for bytes outside the type's set.
const char *opcode_name(int type, uint8_t op);

}  // namespace tmx
