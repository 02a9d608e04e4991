// The compile work buffers shared by the three compilers.
//
// Every buffer has a capacity counted in entries and starts small.  A compiler
// never grows a buffer: when one is too small it stops and returns the
// buffer's growth request code; the front end grows that buffer (new capacity
// = 2 * old + 30 up to kMaxWorkBufferBytes of limits.h, contents not kept)
// and compiles the whole source again.
// Buffers keep their grown capacity between compiles until FreeTamrix or a
// failed growth releases them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tmx {

// One token of the compiler's token list (the five token buffers of the work
// set share one capacity; here they are one array of records, plus the
// bracket-character and bracket-position arrays that grow with it).
struct Token {
    uint16_t kind;  // token kind (compile/token_kinds.h), rewritten by passes
    int32_t first;  // source index of the first character
    int32_t last;   // source index of the last character
    uint32_t value; // kind-dependent (compile/token_kinds.h)
    // Value of a constant token (number literal, string literal, named
    // constant): 8 bytes for integer and real, 16 for complex.
    alignas(8) unsigned char constant[16];
};

// One variable of a formula header, by variable index.
struct HeaderVariable {
    int32_t first, last; // source range of its name
    bool shared;         // module or common variable (third section)
    bool common;         // after `common`
};

// Growth request codes, one per buffer (shared ones share a code).  They
// never leave the kernel, and lie apart from every code that does (compile
// results -2 to 39, the module compiler's -7 to -3), so that a growth request
// can never be mistaken for a result or reach a host as one.
enum GrowthCode : int {
    kGrowTokens = -101,
    kGrowCode = -102,
    kGrowHeader = -103,
    kGrowConstants = -104,
    kGrowBracketStack = -105, // first compile stack
    kGrowControlStack = -106, // third compile stack
    kGrowStoreStack = -107,   // second compile stack
};

// Records of the three compile stacks (fields used by code generation).
struct BracketRecord { // first compile stack, 16 bytes
    int32_t kind;      // 0 plain bracket, 6 built-in, 7..10 calls, 11..16 control
    uint32_t value;    // built-in code, callee index
    int32_t args;      // -1 for empty brackets, else the commas seen
    int32_t name;      // token index of the name
};
struct StoreRecord {   // second compile stack, 16 bytes
    int32_t depth;     // bracket depth
    uint32_t operand;  // variable index or cell index
    int32_t position;  // argument position, or -1 for an assignment
    int32_t shared;    // 0 local variable, 1 shared cell
};
struct ControlRecord { // third compile stack, 20 bytes
    int32_t kind;      // if, while, until, which, break, while-test
    int32_t header_pos;// position of the reserved jump operands
    int32_t code_pos;  // code-byte position
    int32_t const_pos; // constant index
    int32_t depth;     // stack depth
};

struct WorkBuffers {
    bool allocated = false;

    // token buffers: shared capacity, code -1
    int32_t token_capacity = 0;
    Token *tokens = nullptr;
    char16_t *bracket_chars = nullptr; // open-bracket stack; operator stack
    int32_t *bracket_positions = nullptr;
    HeaderVariable *header_vars = nullptr; // header variables by index

    int32_t code_capacity = 0; // bytes, code -2
    uint8_t *code = nullptr;

    int32_t header_capacity = 0; // int32 entries, code -3
    int32_t *header = nullptr;

    // constants (data array under construction), code -4; one per type
    int32_t real_capacity = 0;
    double *real_data = nullptr;
    int32_t int_capacity = 0;
    int64_t *int_data = nullptr;
    int32_t complex_capacity = 0;
    unsigned char *complex_data = nullptr; // 16-byte slots

    int32_t bracket_stack_capacity = 0; // code -5
    BracketRecord *bracket_stack = nullptr;
    int32_t control_stack_capacity = 0; // code -6
    ControlRecord *control_stack = nullptr;
    int32_t store_stack_capacity = 0;   // code -7
    StoreRecord *store_stack = nullptr;
};

extern WorkBuffers g_work;

// Releases any buffers, then allocates all at their initial capacities.
// Returns false (and leaves none allocated) when memory is exhausted.
bool work_buffers_allocate();
void work_buffers_release();
// Grows the buffer named by a growth code (for the complex/integer/real
// constants, `type` selects which).  False: out of memory; all buffers are then
// released.
bool work_buffers_grow(int growth_code, int type);

}  // namespace tmx
