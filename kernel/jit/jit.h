// The native-code tier under RealCal.
//
// A real formula that has been evaluated often enough is translated from its
// byte code into x86-64 machine code; later first activations run that code
// instead of the interpreter.  The byte code stays the definition: the
// translation keeps the interpreter's order of operations, its rounding (no
// fused multiply-add) and its library calls, so both give the same bits.  A
// formula the tier cannot translate simply stays interpreted.
//
// The tier takes arithmetic, comparisons, logic, variables and shared cells,
// increments, the built-ins apart from string access, if/which/while/until
// with continue and break, and calls of formulas of every type and of
// external functions.  A formula that calls gets two pieces of native code:
// one for its first activation (variables and stack in the record's data
// array, at addresses fixed in the code) and one for nested activations on
// the in-place path (a recursive call: the frame on the shared value stack,
// its base in a register).  Native code calls a running real formula's
// nested code directly, itself above all; a re-entry on the copy path (from
// an external function or the host) stays on the fast form.  Native code
// checks on entry and before every call that nothing it calls has been
// deleted, as the fast form does: such a formula is not recompiled but
// refuses to run, with the interpreter's run error.
//
// A formula that calls nothing also gets a batch form when a built-in that
// evaluates it at many points (sum, pro, DataSum, DataPro, SimpIntegrate)
// first asks for it: one native loop over a run of points, so such a walk
// pays one call per batch instead of one per point.  For the sums over evenly
// spaced points (a line of sum's grid, SimpIntegrate's midpoints) it gets a
// line form too, which makes the points itself and adds the values as they
// come: the whole line is one native loop with the coordinate and the total
// in registers.  (Products, rarer, keep the batch form: one form for both
// would test which at every point.)
//
// Settings, read when the kernel starts (InitTamrix):
//   TAMRIX_JIT=0            the tier is off
//   TAMRIX_JIT_THRESHOLD=N  interpreted evaluations before compiling
//                           (default kDefaultJitThreshold; 0: compile at the
//                           first evaluation)
// Machines other than x86-64 build the tier as a stub that never compiles.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../record.h"

namespace tmx {

// Evaluations a formula runs interpreted before it is compiled.  Measured
// with bench/ (x86-64, GCC 12): translating a formula costs 3 to 10 us, an
// interpreted evaluation of the same formulas 2 to 15 ns, so by the time a
// formula is compiled it has spent about as long being interpreted as its
// translation costs.  A formula evaluated fewer times never pays for native
// code, and none pays more than twice what the best choice in hindsight
// would have cost.
inline constexpr uint32_t kDefaultJitThreshold = 2000;

using JitEntry = double (*)(double *args);
// The batch form of a formula that calls nothing, for the built-ins that
// evaluate it at many points: out[k] = f(points + k * parameter count) for k
// from 0 up to count, stopping early when a run error is pending.
using JitBatch = void (*)(double *points, int64_t count, double *out);
// The line form of a formula that calls nothing and assigns no parameter but
// the first, for the built-ins that sum over evenly spaced points: evaluates
// points j up to stop, args[0] = first at point j and min + step * (k +
// offset) at each point k after it (written by the code; min and step must be
// finite), args[1...] as the caller wrote them; adds each value to `total` in
// order and returns the total.  Stops early when a run error is pending.
using JitLine = double (*)(double *args, int64_t j, int64_t stop, double first, double min,
                           double step, double offset, double total);

// Reads the settings; InitTamrix calls it.
void jit_configure();
// Releases every piece of native code and the memory that held it;
// FreeTamrix calls it after all formulas are gone.
void jit_shutdown();

// Makes a freshly compiled real formula a candidate: its evaluations start
// counting down to compilation.
void jit_prepare(FormulaRecord *rec);
// Drops a formula's native code (the record is being destroyed, or what it
// calls changed); it runs interpreted from then on.
void jit_release(FormulaRecord *rec);

// One evaluation of a counting formula; compiles it when the count is done.
// Returns the formula's native entry (null while it has none).
JitEntry jit_count_down(FormulaRecord *rec);

// The native entry of a first activation of `rec`, or null.  Counts the
// evaluation while the formula is still a candidate.
inline JitEntry jit_entry(FormulaRecord *rec) {
    if (JitEntry native = rec->jit) [[likely]]
        return native;
    if (rec->jit_countdown) [[unlikely]]
        return jit_count_down(rec);
    return nullptr;
}

// The native entry of a nested activation of the running formula `rec` on
// the in-place path, or null.  Nested activations count too: a recursion
// the host starts once (fib(25)) is as hot as a formula evaluated that
// often from the host.
inline JitEntry jit_nested_entry(FormulaRecord *rec) {
    if (JitEntry native = rec->jit_nested) [[likely]]
        return native;
    if (rec->jit_countdown) [[unlikely]] {
        jit_count_down(rec);
        return rec->jit_nested;
    }
    return nullptr;
}

// The batch form of `rec`, translated at its first use, or null: the formula
// has no native code yet (its countdown is not over), calls something, or is
// not one the tier takes.
JitBatch jit_batch(FormulaRecord *rec);
// The line form of `rec`, likewise.
JitLine jit_line(FormulaRecord *rec);

// The tier's state, for tests and the benchmark.
struct JitSettings {
    bool enabled;
    uint32_t threshold;
};
JitSettings jit_settings();
// Bytes of executable memory holding code now (0 without the tier).
size_t jit_code_bytes();

}  // namespace tmx
