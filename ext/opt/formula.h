// The real formula an opt:: function minimises, named by a string literal of
// the calling formula ("f") or by the handle "HFor" gave, and its
// evaluation on behalf of a minimiser.
#pragma once

#include <cstdint>
#include <vector>

#include "call.h"

namespace optlib {

struct Formula {
    void *record = nullptr;  // what RealCal takes
    int lastParam = -1;
    int params() const { return lastParam + 1; }
};

// A real slot names a formula: a handle's bit pattern is an "HFor" handle,
// any other number the word index of a string literal of the caller.
// 0 found, else kBadFormulaString or kNoSuchFormula.
int find_formula(const Library &lib, TmCallContext *ctx, double slot, Formula *out);

// Why an evaluation series ended early.
enum class Stop {
    None,
    RunError,   // an error is pending: the formula's own, or an interrupt
    NaN,
    Infinite,
};

// Evaluates the formula on copies of the points it is given (a formula may
// write its parameters), and ends the series at the first value that
// cannot stand: a run error pending before or after the call (the
// formula's own, an interrupt from another thread, or the kernel's error
// for a formula invalidated because something it calls was deleted or
// recompiled), or a NaN or infinite value.
//
// The formula found at the start stays valid for the whole series: the
// kernel refuses to delete a formula while it runs (deleting it from inside
// itself is deferred until it is idle), and between its calls only the
// minimiser runs.
class FormulaEvaluator {
public:
    FormulaEvaluator(const Library &lib, const Formula &formula);
    // f at the params() values of point; false (and stop() set) when the
    // series must end.
    bool evaluate(const double *point, double *value);
    Stop stop() const { return stop_; }
    // The code a stop reports, 0 for a pending run error (left as it is).
    int stop_code() const;

private:
    const Library &lib_;
    const Formula &formula_;
    std::vector<double> slots_;
    Stop stop_ = Stop::None;
};

}  // namespace optlib
