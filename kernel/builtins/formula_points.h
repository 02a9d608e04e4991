// A built-in's run of evaluations of one formula ("sum", "pro", "DataSum",
// "DataPro", the midpoints of "SimpIntegrate"): the values are summed or
// multiplied in exactly the order the points come, and no point is
// evaluated once a run error is pending.
//
// Two things make such a run fast without changing a bit of its result.
// The values wait in a small array and are folded a batch at a time with the
// total in a register: folded one by one, the total makes a store-and-reload
// round trip around every call (the call may clobber every floating-point
// register), and each point waits for the previous one's addition.  And once
// the formula has native code, the points of a batch are evaluated by its
// batch form (jit/jit.h) in one call, a loop of native code without a call
// and return per point.  The counters live in this function's registers:
// kept in an object, they made the same round trip through memory.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "../jit/jit.h"
#include "../run_error.h"
#include "formula_argument.h"

namespace tmx {

namespace formula_points {

inline constexpr int kBatch = 32;

inline double fold(double total, const double *values, int n, bool product) {
    if (product)
        for (int i = 0; i < n; ++i) total *= values[i];
    else
        for (int i = 0; i < n; ++i) total += values[i];
    return total;
}

// The batch form, when the formula has one and may use it: a running
// formula's arguments must not move (NamedRealFormula), and a trace reports
// every evaluation, which only RealCal's path does.
inline JitBatch batch_form(const NamedRealFormula &f) {
    if (f.running || g_trace_enabled) return nullptr;
    return jit_batch(f.record);
}

}  // namespace formula_points

// Evaluates f at every point `fill` writes and folds the values.
// fill(double *points, int room) writes the arguments of up to `room`
// points, f.params values each (all of them, every time: the formula may
// assign its parameters), and returns how many it wrote, 0 after the last.
// `single` is where one point's arguments go (f.argument_array).  False
// when a run error is pending; the built-in's result is then 0.
template <typename Fill>
bool evaluate_points(const NamedRealFormula &f, double *single, bool product, Fill &&fill,
                     double *total) {
    using namespace formula_points;
    if (run_error_pending()) return false;
    double t = product ? 1.0 : 0.0;
    double values[kBatch];
    JitBatch batch = batch_form(f);
    std::unique_ptr<double[]> points;
    for (;;) {
        if (batch && !points) {
            points.reset(new (std::nothrow) double[size_t(kBatch) * size_t(f.params)]);
            if (!points) batch = nullptr;
        }
        int n = 0;
        if (batch) {
            n = fill(points.get(), kBatch);
            batch(points.get(), n, values);
            if (run_error_pending()) return false;
        } else {
            for (; n < kBatch && fill(single, 1); ++n) {
                values[n] = f.call(single);
                if (run_error_pending()) return false;
            }
        }
        t = fold(t, values, n, product);
        if (n < kBatch) break;
        // The count toward native code may be over now.
        if (!batch) batch = batch_form(f);
    }
    *total = t;
    return true;
}

}  // namespace tmx
