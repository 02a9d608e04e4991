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

// Whether the formula's batch and line forms may be used: a running
// formula's arguments must not move (NamedRealFormula), and a trace reports
// every evaluation, which only RealCal's path does.
inline bool native_forms_allowed(const NamedRealFormula &f) {
    return !f.running && !g_trace_enabled;
}

// For walks without a line form.
struct NoLines {
    bool operator()(double *) const { return false; }
};

}  // namespace formula_points

// Evaluates f at every point `fill` writes and folds the values.
// fill(double *points, int room) writes the arguments of up to `room`
// points, f.params values each (all of them, every time: the formula may
// assign its parameters), and returns how many it wrote, 0 after the last.
// `single` is where one point's arguments go (f.argument_array).  False
// when a run error is pending; the built-in's result is then 0.
// Each round, where native forms are allowed, lines(&total) is asked first
// whether it evaluates every remaining point itself (through the formula's
// line form, folding into the total): true when it did, or a run error
// stopped it.  Only when it does not is the batch form made and used.
template <typename Fill, typename Lines = formula_points::NoLines>
bool evaluate_points(const NamedRealFormula &f, double *single, bool product, Fill &&fill,
                     double *total, Lines &&lines = {}) {
    using namespace formula_points;
    if (run_error_pending()) return false;
    double t = product ? 1.0 : 0.0;
    double values[kBatch];
    const bool native = native_forms_allowed(f);
    JitBatch batch = nullptr;
    std::unique_ptr<double[]> points;
    for (;;) {
        if (native && lines(&t)) {
            if (run_error_pending()) return false;
            break;
        }
        // The count toward native code may be over now.
        if (native && !batch) batch = jit_batch(f.record);
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
    }
    *total = t;
    return true;
}

}  // namespace tmx
