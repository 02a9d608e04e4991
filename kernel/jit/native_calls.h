// The C++ side of native code that calls: what a first activation checks and
// marks when it starts, and the calls it makes, each through the same kernel
// routine the fast form and the interpreter use.  Native code calls these by
// address with the record and callee baked in; they keep every rule of the
// call path (the run-error record's first-error rule, the native-stack guard,
// the nested path for a running callee) in one place, written once in C++.
#pragma once

#include <cstdint>

#include "../record.h"

namespace tmx::native_calls {

// Starts a first activation of a formula whose native code calls: the
// thread's native-stack floor known, the formula still valid and the stack
// not exhausted (else the run error is recorded and 0 returned); then the
// formula is marked running, so that a call back into it takes the nested
// path.  Native code clears the mark on every return.
int begin_first(FormulaRecord *rec);

// Records why a nested activation of `rec` in native code may not start:
// the formula is invalidated, or a stack (native or shared) is used up.
void refuse_nested(FormulaRecord *rec);

// Calls from `rec` with the arguments at `slot` (slot[0..m]; a fresh result
// slot when m < 0).  Each first checks that what `rec` calls is still there:
// a callee deleted while `rec` runs records run error 4 or 5 instead.
double call_real(FormulaRecord *rec, FormulaRecord *callee, double *slot);
double call_int(FormulaRecord *rec, FormulaRecord *callee, double *slot);
double call_complex(FormulaRecord *rec, FormulaRecord *callee, double *slot);
double call_external(FormulaRecord *rec, void *function, int64_t m, double *slot);

// A `which` with no true condition and no default.
void which_none(FormulaRecord *rec);

}  // namespace tmx::native_calls
