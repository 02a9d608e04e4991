// A pre-decoded form of straight-line real formulas.
//
// Most formulas a host evaluates over and over are plain expressions: no
// calls, no jumps, no string access.  Such a formula can never recurse, never
// be invalidated (it calls nothing that could be deleted) and never record a
// run error, so its first activation needs none of the general bookkeeping.
// When a real formula compiles, its byte code is translated once into this
// form: operands decoded (constants inlined, variables resolved to an
// argument index or a slot address) and each "push operand; binary operator"
// pair fused into one step that applies the operator to the cached top and
// the operand directly.  Evaluation order and arithmetic are exactly those of
// the byte code, so both forms give the same bits.
//
// The byte code stays the formula's definition: the registry, the
// disassembler, nested activations and traces all use it.
#pragma once

#include <cstdint>

#include "../record.h"

namespace tmx {

struct FastCode;

// Translates a compiled real formula; null when it is not straight-line or
// memory is exhausted (the byte-code interpreter then runs it as usual).
FastCode *build_real_fast_code(const FormulaRecord *rec);
void free_fast_code(FastCode *code);

// Runs a first activation from the fast form.  `args` is the argument array
// (the caller substitutes the record's data array when it has none).
double run_real_fast(const FastCode *code, double *args);

}  // namespace tmx
