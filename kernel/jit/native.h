// The machine-dependent half of the native-code tier (x86-64 only): the
// translator from byte code and the runtime that owns executable memory.
#pragma once

#include "jit.h"

namespace tmx {

struct NativeCode {
    JitEntry first;  // a first activation
    JitEntry nested; // a nested one on the in-place path; null for a formula
                     // that calls nothing (it is never running when called)
};

// Native code for the real formula; {null, null} when the formula is not one
// the tier takes, or memory (ordinary or executable) is exhausted.
NativeCode compile_real_native(FormulaRecord *rec);
// Its batch form (JitBatch), or null.
JitBatch compile_real_batch(FormulaRecord *rec);
// Its line form (JitLine), or null.
JitLine compile_real_line(FormulaRecord *rec);
// Returns the code's memory to the runtime.
void release_native(const void *code);
// Bytes of code the runtime holds (jit_code_bytes).
size_t native_code_bytes();
// Frees the runtime and all memory it holds.
void shutdown_native();

}  // namespace tmx
