// The shared value stacks that nested activations take their frames from, one
// per number type, with their limits and copy-arguments flags, and the
// call-result buffer that cross-type calls fill.
#pragma once

#include <cstdint>

#include "tamrix/tamrix.h"

namespace tmx {

template <class Slot> struct ValueStack {
    Slot *slots = nullptr; // `limit` slots; slot 0 is never handed out
    int32_t limit = 0;     // 0 until the type's stack-size function runs
    int32_t top = 1;       // first free slot
    // 1: a re-entered formula copies its arguments into its frame; 0: it uses
    // them in place.  Only OpCall<Type> clears it, right before the call.
    uint8_t copy_args = 1;
};

extern ValueStack<int64_t> g_int_stack;
extern ValueStack<double> g_real_stack;
extern ValueStack<TmComplex> g_complex_stack;

// Raw bits of the last result received from a call into another number type
// (integer or real: 8 bytes, complex: 16).  Read by "GetCalByte".
alignas(16) extern unsigned char g_call_result[16];

// Frees the three stacks and returns them to their initial state.
void value_stacks_release();

// Resizes a type's stack (1, 2, 3) on behalf of its stack-size function.
// Returns the new limit, or 0 after recording a run error (type T, `name`,
// code 2 while a nested activation runs, code 1 when memory is exhausted).
int64_t resize_value_stack(int type, double requested, const char16_t *name,
                           const TmCallContext *ctx);

}  // namespace tmx

namespace tmx {

// The stack-size built-ins "SetIntStackMax", "SetRealStackMax",
// "SetComplexStackMax" (external-function signatures; InitTamrix registers
// them with one parameter).
int64_t builtin_set_int_stack_max(int m, int64_t *args, TmCallContext *ctx);
double builtin_set_real_stack_max(int m, double *args, TmCallContext *ctx);
void builtin_set_complex_stack_max(TmComplex *result, int m, TmComplex *args,
                                   TmCallContext *ctx);

}  // namespace tmx
