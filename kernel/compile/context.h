// State of one compile: the source, the target record, what the passes have
// learnt so far, and access to the work buffers.  One compiler serves the three
// number types; what differs per type is in TypeDesc.
//
// Passes, in order (each returns 0, a growth code (work_buffers.h) or a
// compile error code after calling fail()):
//   lex              lexer.cpp      source -> tokens; strings and number
//                                   literals checked; qualified names merged;
//                                   "( ) =" put in front when there is no header
//   parse_header     header.cpp     name, sections, keywords; variable table;
//                                   error 29; the code array's name and string
//                                   area; CodeStart, FirstString
//   match_brackets   brackets.cpp   body wrapped in one pair; ':' -> ','; all
//                                   brackets become round
//   rewrite_members  members.cpp    x.f(a) -> f(x, a)
//   classify         classify.cpp   identifiers -> variables, constants, calls,
//                                   control functions; the callee list
//   check_operators  operators.cpp  unary operators, ++/--, assignment
//   check_shape      shape.cpp      operand/operator sequence
//   generate         codegen.cpp    code, operands, constants, jumps, folding,
//                                   sizes
#pragma once

#include <cstdint>

#include "tamrix/compile_errors.h"

#include "../opcodes.h"
#include "../record.h"
#include "../work_buffers.h"
#include "token_kinds.h"

namespace tmx {

struct CompileContext;

// What differs between the integer, real and complex compilers.
struct TypeDesc {
    int type;                       // 1, 2, 3
    uint32_t slot;                  // 8 or 16 bytes
    const BuiltinTable *builtins;   // first-level built-in instructions
    int ext_type;                   // 4, 5, 6: external functions looked up
    int const_type;                 // 7, 8, 9: named constants looked up
    int shared_type;                // 10, 11, 12: shared variables registered
    bool has_power;                 // '^' accepted (real, complex)
    bool has_remainder;             // '%' accepted (integer)
    bool imaginary_unit;            // complex: i/I literals and the lone i

    // Reads a number literal starting at src[start]; stores its value in `out`
    // (slot bytes) and the index of its last character in *last.  Returns 0 or
    // compile error 17 (after setting *last to the end of what was read).
    TmCompileResult (*lex_number)(const char16_t *src, int32_t start, int32_t *last, void *out);
    // Stores the value of a string literal (its character index).
    void (*from_index)(void *out, int32_t index);
    // Folding helpers: negate a constant; logical not of a constant.
    void (*negate)(void *value);
    void (*logical_not)(void *value);
    // Evaluates a record with the type's evaluator, result into `out`.
    void (*evaluate)(FormulaRecord *record, void *args, void *out);
};

extern const TypeDesc kRealType;
extern const TypeDesc kIntType;
extern const TypeDesc kComplexType;

struct CompileContext {
    // --- inputs ---
    const char16_t *src = nullptr;
    int32_t src_len = 0;        // characters before the terminating zero
    int module = 0;
    FormulaRecord *record = nullptr;
    uint32_t self_index = 0;    // address-table index of `record`
    const TypeDesc *type = nullptr;

    // --- error output ---
    int32_t err_begin = 0, err_end = 0;
    int fail(TmCompileResult code, int32_t first, int32_t last) {
        err_begin = first;
        err_end = last;
        return code;
    }

    // --- token list (g_work.tokens[0..ntokens)) ---
    int32_t ntokens = 0;
    int32_t header_open = -1;  // token index of the header's "("
    int32_t header_close = -1; // its ")"; the "=" follows
    int32_t name_token = -1;   // token index of the name, -1 when anonymous
    int32_t body_first = 0;    // after match_brackets: the wrapping "("
    int32_t body_last = 0;     //                       and its ")"

    // --- header facts ---
    int32_t last_param = -1;
    int32_t var_count = 0;
    int32_t first_static = 0;
    int32_t free_var = 0;
    // variable index -> its entry (g_work.header_vars, token capacity)
    HeaderVariable *vars() const { return g_work.header_vars; }
    uint8_t flags = 0;           // code byte 1 (kFlagModifiesParams)

    // --- code array prefix (written by parse_header) ---
    int32_t code_start = 0;      // bytes of flags, name and string area
    int32_t first_string = 0;    // word index of the first string literal

    // --- callee reference list: header[capacity-1] downward ---
    int32_t callee_count = 0;

    // The data array under construction (constants buffer of the type).
    unsigned char *data() const;
    int32_t data_capacity() const;
    Token *tokens() const { return g_work.tokens; }
};

// The passes.
int lex(CompileContext &cx);
int parse_header(CompileContext &cx);
int match_brackets(CompileContext &cx);
int rewrite_members(CompileContext &cx);
int classify(CompileContext &cx);
int check_operators(CompileContext &cx);
int check_shape(CompileContext &cx);
int generate(CompileContext &cx);

// Runs every pass; used by the front end.  Returns 0, a growth code or an
// error code.
int compile_formula(CompileContext &cx);

}  // namespace tmx

namespace tmx {
// The shared body of RealCom, IntCom and ComplexCom (front_end.cpp).
int compile_front_end(const TypeDesc &type, const char16_t *source, int module, void **hFor,
                      int *paramCount, void **data, int *errBegin, int *errEnd);
}  // namespace tmx
