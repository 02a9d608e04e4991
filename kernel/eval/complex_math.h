// Complex arithmetic of the complex evaluator.
//
// Every operation is written out with the exact sequence of double operations
// that defines it, so results are reproducible bit for bit (the kernel is
// built without contraction into fused multiply-adds); std::complex is not
// used because its operators scale, special-case infinities and may fuse.
// |z| is std::hypot: sqrt(re*re + im*im) would overflow to infinity as soon
// as a part exceeds about 1e154, and underflow to 0 below about 1e-162.
#pragma once

#include <cmath>

#include "tamrix/tamrix.h"

namespace tmx::complex_math {

inline double magnitude(TmComplex z) { return std::hypot(z.re, z.im); }
inline double angle(TmComplex z) { return std::atan2(z.im, z.re); }

// Unary minus, part by part as 0 - z: a zero part stays +0 instead of
// turning into -0.  Otherwise -4 would carry the imaginary part -0 and land
// below the branch cut of atan2, so sqrt(-4) gave -2i and ln(-1) gave -pi i.
// Every nonzero, infinite or NaN part is negated as usual.
inline double negate_part(double x) { return x == 0 ? 0.0 : -x; }
inline TmComplex neg(TmComplex z) { return {negate_part(z.re), negate_part(z.im)}; }

inline TmComplex add(TmComplex a, TmComplex b) { return {a.re + b.re, a.im + b.im}; }
inline TmComplex sub(TmComplex a, TmComplex b) { return {a.re - b.re, a.im - b.im}; }

// Three real multiplications instead of four.
inline TmComplex mul(TmComplex a, TmComplex b) {
    const double k1 = a.re * b.re;
    const double k2 = a.im * b.im;
    const double k3 = (a.re + a.im) * (b.re + b.im);
    return {k1 - k2, k3 - k1 - k2};
}

// A zero divisor gives IEEE infinities or NaNs, never a run error.
inline TmComplex div(TmComplex a, TmComplex b) {
    const double d = b.re * b.re + b.im * b.im;
    const double k1 = a.re * b.re;
    const double k2 = a.im * b.im;
    const double k3 = (a.re + a.im) * (b.re - b.im);
    return {(k1 + k2) / d, (k3 - k1 + k2) / d};
}

// a^b through polar form; 0 raised to anything (0 included) is 0.
inline TmComplex pow(TmComplex a, TmComplex b) {
    if (a.re == 0 && a.im == 0) return {0.0, 0.0};
    const double ln_r = std::log(magnitude(a));
    const double theta = angle(a);
    const double rho = std::exp(b.re * ln_r - b.im * theta);
    const double phi = b.re * theta + b.im * ln_r;
    return {rho * std::cos(phi), rho * std::sin(phi)};
}

// Principal root.
inline TmComplex sqrt(TmComplex z) {
    const double s = std::sqrt(magnitude(z));
    const double half = angle(z) / 2;
    return {s * std::cos(half), s * std::sin(half)};
}

inline TmComplex exp(TmComplex z) {
    const double e = std::exp(z.re);
    return {e * std::cos(z.im), e * std::sin(z.im)};
}

inline TmComplex log(TmComplex z) { return {std::log(magnitude(z)), angle(z)}; }

// With p = e^im / 2 and q = e^-im / 2: p + q = cosh im, p - q = sinh im.
inline TmComplex sin(TmComplex z) {
    const double p = std::exp(z.im) / 2, q = std::exp(-z.im) / 2;
    return {std::sin(z.re) * (p + q), std::cos(z.re) * (p - q)};
}

inline TmComplex cos(TmComplex z) {
    const double p = std::exp(z.im) / 2, q = std::exp(-z.im) / 2;
    return {std::cos(z.re) * (p + q), -std::sin(z.re) * (p - q)};
}

}  // namespace tmx::complex_math
