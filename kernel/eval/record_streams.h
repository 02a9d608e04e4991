// Walking a record's three streams side by side: the instruction bytes, the
// operand words and the constants.  The fast-form translator and the native
// code generator both walk a record this way before trusting it, so both
// refuse a record whose streams run short at the same place.
#pragma once

#include <cstdint>

#include "../opcodes.h"
#include "../record.h"

namespace tmx {

// The four call instructions, each followed by its write-back list.
inline bool is_call(uint8_t byte) { return byte >= OpCallInt && byte <= OpCallExternal; }

// What an increment or decrement instruction does: to a shared cell or a
// variable, before or after reading, up or down.
struct StepKind {
    bool common, pre, inc;
};
inline StepKind step_kind(uint8_t byte) {
    return {byte == OpPreIncCommon || byte == OpPreDecCommon || byte == OpPostIncCommon ||
                byte == OpPostDecCommon,
            byte == OpPreIncVar || byte == OpPreDecVar || byte == OpPreIncCommon ||
                byte == OpPreDecCommon,
            byte == OpPreIncVar || byte == OpPostIncVar || byte == OpPreIncCommon ||
                byte == OpPostIncCommon};
}

// Whether n operand words starting at word `op` lie inside the header's
// operand stream.
inline bool operand_words_left(const int32_t *header, int32_t op, int32_t n) {
    return op >= kOperandStart && n >= 0 && op + n <= header[kHeaderLength];
}

// Moves the stream positions past the instruction `byte` just read at ip - 1:
// its operand words, its constant, a call's write-back list (tag bytes in the
// instruction stream, two operand words per entry).  False when it runs past
// its streams.
inline bool skip_instruction(const FormulaRecord *rec, uint8_t byte, int32_t &ip, int32_t &op,
                             int32_t &cp) {
    const int32_t *h = rec->header;
    if (byte == OpPushConst) {
        if (cp >= h[kStackBase]) return false;
        ++cp;
        return true;
    }
    if (byte < kFirstBuiltin) {
        if (!operand_words_left(h, op, operand_words(byte))) return false;
        op += operand_words(byte);
    }
    if (is_call(byte)) {
        for (;;) {
            if (ip >= h[kCodeLength]) return false;
            if (rec->code[ip++] == 0) break;
            if (!operand_words_left(h, op, 2)) return false;
            op += 2;
        }
    }
    return true;
}

}  // namespace tmx
