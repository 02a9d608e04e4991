// State of the code-generation pass, shared by its files:
//   codegen.cpp          the token loop, operands, operators, brackets, end
//   codegen_calls.cpp    closing built-ins and calls (argument counts,
//                        write-back lists)
//   codegen_control.cpp  if / while / until / which / break / continue
//   fold.cpp             constant folding through the type's evaluator
//
// Every write into a work buffer goes through the emit helpers below, which
// check the capacity first.  A write that does not fit records the buffer's
// growth code in `status` and is dropped; from then on nothing else is
// written, and the token loop returns the code after the current token.
// Anything that reads back what it wrote (folding, jump fix-ups) therefore
// checks `status` first.
#pragma once

#include <cstdint>
#include <cstring>

#include "context.h"

namespace tmx {

// Kinds of the control-stack entries.  A loop takes two entries: its start
// and, right above it, its links (break chain, enclosing loop, while test).
enum ControlKind : int32_t {
    kCtlIf = 1,        // header_pos: reserved operands of OpIfTest
    kCtlWhile = 2,     // loop start: header_pos/code_pos/const_pos/depth
    kCtlUntil = 3,     //   = operand word, code byte, constant, depth
    kCtlLoopLinks = 4, // see LoopLinks below
    kCtlWhich = 5,     // marks where the entries of one `which` begin
    kCtlWhichTest = 6, // header_pos: reserved operands of OpWhichTest
    kCtlWhichEnd = 7,  // header_pos: reserved operands of OpWhichEnd
};

// Field use of a kCtlLoopLinks entry.  Breaks need no entry of their own:
// each OpBreak's first reserved operand word links to the previous break of
// the same loop until the loop closes and the chain is filled.
inline int32_t &break_chain(ControlRecord &links) { return links.header_pos; }
inline int32_t &outer_loop(ControlRecord &links) { return links.code_pos; }
inline int32_t &while_test(ControlRecord &links) { return links.const_pos; }

// A jump target: the position of every stream at the landing.
struct StreamPos {
    int32_t code;  // byte offset in the code array
    int32_t konst; // data index of the next constant
    int32_t word;  // header index of the next operand
};

struct Generator {
    CompileContext &cx;
    const TypeDesc &type;
    Token *tok;

    uint8_t *code;
    int32_t code_cap;
    int32_t *header;
    int32_t operand_limit; // first word of the callee reference list
    unsigned char *data;
    int32_t data_cap;
    uint32_t slot;

    int32_t pc = 0;    // next code byte
    int32_t op = kOperandStart; // next operand word
    int32_t ci = 0;    // next constant slot
    int32_t depth = 0; // values on the evaluation stack at this point
    int32_t max_depth = 0;
    // Instructions at the end of the code that are OpPushConst and were
    // emitted after the last jump landing: what folding may combine.
    int32_t trailing_consts = 0;
    int32_t last_var_push = -1; // code position of the last plain variable push

    int32_t nops = 0;      // operator stack (g_work.bracket_chars)
    int32_t nbrackets = 0; // g_work.bracket_stack
    int32_t ncontrol = 0;  // g_work.control_stack
    int32_t nstores = 0;   // g_work.store_stack
    int32_t loop = -1;     // control index of the innermost loop start

    int status = 0; // first growth code met by a write

    Generator(CompileContext &c);

    // --- emission (checked, sticky on failure) ---
    void grow(int code_) {
        if (!status) status = code_;
    }
    void emit(uint8_t byte) {
        if (status) return;
        if (pc >= code_cap) return grow(kGrowCode);
        code[pc++] = byte;
        trailing_consts = 0;
    }
    void operand(int32_t word) {
        if (status) return;
        if (op >= operand_limit) return grow(kGrowHeader);
        header[op++] = word;
    }
    // Reserves n operand words (zeroed) for a later fix-up; their position.
    int32_t reserve(int n) {
        int32_t at = op;
        for (int k = 0; k < n; ++k) operand(0);
        return at;
    }
    void push_value(int n = 1) {
        depth += n;
        if (depth > max_depth) max_depth = depth;
    }
    // Increments and decrements use one cell above the value they push.
    void spare_cell() {
        if (depth + 1 > max_depth) max_depth = depth + 1;
    }
    StreamPos here() const { return {pc, ci, op}; }
    unsigned char *constant(int32_t index) { return data + size_t(index) * slot; }

    // --- stacks ---
    BracketRecord &bracket() { return g_work.bracket_stack[nbrackets - 1]; }
    ControlRecord &control(int32_t i) { return g_work.control_stack[i]; }
    bool push_control(const ControlRecord &r) {
        if (ncontrol >= g_work.control_stack_capacity) {
            grow(kGrowControlStack);
            return false;
        }
        g_work.control_stack[ncontrol++] = r;
        return true;
    }
    int fail_range(TmCompileResult code_, int32_t first_tok, int32_t last_tok) {
        return cx.fail(code_, tok[first_tok].first, tok[last_tok].last);
    }
};

// Next token after i that is not deleted (body_last + 1 when none).
int32_t next_token(const Generator &g, int32_t i);

// codegen_calls.cpp: closes a built-in or call bracket at token `close`.
int close_builtin(Generator &g, int32_t close);
int close_call(Generator &g, int32_t close);

// codegen_control.cpp
int open_loop(Generator &g, int32_t kind);
int emit_break(Generator &g, int32_t name, int32_t args);
int emit_continue(Generator &g, int32_t name, int32_t args);
void control_comma(Generator &g);
int close_control(Generator &g, int32_t close);

// fold.cpp: folding of the last one or two constants.  They return 0 or a
// growth code (the scratch evaluation needs three stack cells in the data
// buffer).
void fold_negate(Generator &g);
void fold_not(Generator &g);
int fold_binary(Generator &g, uint8_t opcode);
int fold_builtin(Generator &g, uint8_t opcode);

}  // namespace tmx
