// The ten benchmark expressions over parameters a, b and c, each with the same
// computation written in C++.  The text is valid for both Tamrix and muParser
// ("ln" is the natural logarithm, "^" the power).
#pragma once

#include <vector>

namespace bench {

// Values of a cycled through by every timed loop, so that no evaluator sees
// the same input twice in a row; b and c stay fixed.
struct Inputs {
    static constexpr int kCount = 1024;  // a power of two: the index is masked
    double a[kCount];
    double b = 0.75;
    double c = 0.4;
    Inputs();
};

using NativeLoop = void (*)(const Inputs &inputs, long iterations);
using NativeFunction = double (*)(double a, double b, double c);
// The same computation as a function of its own, called once per evaluation
// with the arguments in an array: what a host pays to call a formula compiled
// ahead of time, and the shape of a RealCal call.
using NativeCalled = double (*)(const double *args);

struct Expression {
    const char *text;
    NativeFunction native;  // for checking results
    NativeLoop native_loop; // the timed native loop, with the function inlined
    NativeCalled called;    // the timed native function, never inlined
};

const std::vector<Expression> &expressions();

}  // namespace bench
