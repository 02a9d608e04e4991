// A readable listing of compiled records and an instruction trace, both
// driven by the opcode table: the quickest way to see what the compiler made
// and what the evaluator does with it.
#pragma once

#include <cstdint>
#include <string>

#include "record.h"

namespace tmx {

// Listing of a record: a summary of its header, then one line per
// instruction with its code offset, operand and constant positions, the
// decoded operands, jump targets and write-back lists.  `type` 1, 2 or 3;
// 0 takes the record's own type (real when it has none).  Damaged records
// are listed up to the first operand that lies outside its array.
std::string disassemble(const FormulaRecord *r, int type = 0);

// The trace switch.  While on, every instruction an evaluator executes is
// printed to standard error before it runs.  Starts on when the environment
// variable TAMRIX_TRACE is set to anything but "0" or "".  The evaluators
// test it once per activation, so leaving it off costs nothing per
// instruction.
extern bool g_trace_enabled;
void set_trace(bool on);

// One executed instruction as the trace sees it: the stream positions before
// it runs and the stack depth (values on the running activation's stack).
// `stack_base` tells activations apart: each has its own.
struct TraceStep {
    const FormulaRecord *rec;
    int type;
    int32_t code, word, konst;
    int32_t depth;
    const void *stack_base;
};

// Where trace lines go: standard error, or instead this function when one is
// set (null restores standard error).  Tests use it to follow the evaluators
// step by step.
using TraceSink = void (*)(const TraceStep &);
void set_trace_sink(TraceSink sink);

// One trace line: the instruction at `ip` with its stream positions, the
// stack depth and the top value.  `cp`, `sb` and `sp` point to slots of the
// formula's type.
void trace_instruction(const FormulaRecord *r, int type, const uint8_t *ip,
                       const int32_t *op, const void *cp, const void *sb, const void *sp);

}  // namespace tmx
