// The pre-decoded fast form of real formulas.
//
// When a real formula compiles, its byte code is translated once into a form
// that is cheaper to run: operands decoded (constants inlined, variables
// resolved to an argument index, a frame index or an address, callees to
// their records), each "push operand; binary operator" pair fused into one
// step (and such a step with the operation that consumes it at once: "a*b",
// "top + a*b"), and jumps turned into direct links with a stack move fixed at
// translation.  Evaluation order and arithmetic are exactly those of the byte
// code, so both forms give the same bits, record the same run errors and poll
// for pending errors at the same loop tests.
//
// The byte code stays the formula's definition: the registry, the
// disassembler and traces use it, and a record the translator does not
// accept runs on the interpreter.  Both forms call into each other freely.
#pragma once

#include <cstdint>

#include "../record.h"

namespace tmx {

struct FastCode;

// Translates a compiled real formula; null when it cannot (or memory is
// exhausted): the byte-code interpreter then runs it as usual.
// Reads TAMRIX_FAST_FORM (InitTamrix).
void fast_form_configure();
FastCode *build_real_fast_code(const FormulaRecord *rec);
void free_fast_code(FastCode *code);

// Starts an activation of a real formula without the trace: a first one when
// the formula is idle, else a nested one, on the in-place path when
// `in_place` (OpCallReal: the arguments stay in the caller's stack) and on the
// copy path otherwise.  Uses native code when there is some (for a nested
// activation only on the in-place path), else the fast form when there is
// one.
double enter_real(FormulaRecord *rec, double *args, bool in_place);

// Chooses rec->entry from the record's state (fast form, native code, the
// countdown to it); every change of those fields calls it.  The general entry
// (real_general_entry, record.h) serves any state; the others skip what it
// would test on every call.
void choose_real_entry(FormulaRecord *rec);
// Sets fc->host_runner from the translation's facts (straight, leaf, short
// form): the entry of a straight-line formula.
void choose_host_runner(FastCode *fc);

// The byte-code interpreter without the trace (real_eval.cpp), for formulas
// that have no fast form.
double interpret_real_first(FormulaRecord *rec, double *args);
double interpret_real_nested(FormulaRecord *rec, double *args);

}  // namespace tmx
