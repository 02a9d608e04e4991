#include "expressions.h"

#include <cmath>

#include "timing.h"

namespace bench {

Inputs::Inputs() {
    // a runs over [0.5, 1.52): across b (so the comparison case takes both
    // sides) and clear of the pole of case 6 at a = c/2.
    for (int i = 0; i < kCount; ++i) a[i] = 0.5 + 0.001 * i;
}

namespace {

// Hides a, b and c from the optimizer on every pass, so nothing is hoisted
// out of the loop or vectorised across iterations, and keeps each result.
template <NativeFunction F>
void native_loop(const Inputs &inputs, long iterations) {
    double b = inputs.b, c = inputs.c;
    for (long i = 0; i < iterations; ++i) {
        double a = inputs.a[i & (Inputs::kCount - 1)];
        forget(a);
        forget(b);
        forget(c);
        keep(F(a, b, c));
    }
}

template <NativeFunction F>
[[gnu::noinline]] double native_called(const double *args) {
    return F(args[0], args[1], args[2]);
}

inline double e0(double a, double, double) { return a + 1; }
inline double e1(double a, double b, double) { return (a + b) * (a - b); }
inline double e2(double a, double b, double) { return std::sqrt(a * a + b * b); }
inline double e3(double a, double, double) {
    return std::pow(std::sin(a), 2) + std::pow(std::cos(a), 2);
}
inline double e4(double a, double b, double c) { return a * std::exp(-b) * std::sin(a) + c; }
inline double e5(double a, double b, double c) { return ((a + b) * c + 1) / (a - c * 0.5); }
inline double e6(double a, double b, double) { return std::exp(std::sin(a)) + std::log(b + 1); }
inline double e7(double a, double b, double) { return std::pow(a, b); }
inline double e8(double a, double b, double) { return (a > b) * a + (a <= b) * b; }
inline double e9(double a, double b, double c) {
    return a * a * a * a + b * b * b + c * c + 1.5 * a - 2.5 * b + 3.5 * c - 4.5;
}

}  // namespace

const std::vector<Expression> &expressions() {
    static const std::vector<Expression> list = {
        {"a+1", e0, native_loop<e0>, native_called<e0>},
        {"(a+b)*(a-b)", e1, native_loop<e1>, native_called<e1>},
        {"sqrt(a*a+b*b)", e2, native_loop<e2>, native_called<e2>},
        {"sin(a)^2+cos(a)^2", e3, native_loop<e3>, native_called<e3>},
        {"a*exp(-b)*sin(a)+c", e4, native_loop<e4>, native_called<e4>},
        {"((a+b)*c+1)/(a-c*0.5)", e5, native_loop<e5>, native_called<e5>},
        {"exp(sin(a))+ln(b+1)", e6, native_loop<e6>, native_called<e6>},
        {"a^b", e7, native_loop<e7>, native_called<e7>},
        {"(a>b)*a+(a<=b)*b", e8, native_loop<e8>, native_called<e8>},
        {"a*a*a*a+b*b*b+c*c+1.5*a-2.5*b+3.5*c-4.5", e9, native_loop<e9>, native_called<e9>},
    };
    return list;
}

}  // namespace bench
