// What every operator and pure built-in means in complex formulas: the one
// definition the interpreter and constant folding use.
//
// Every operation is written out with the exact sequence of double operations
// that defines it, so results are reproducible bit for bit (the kernel is
// built without contraction into fused multiply-adds); std::complex is not
// used because its operators scale, special-case infinities and may fuse.
// |z| is std::hypot: sqrt(re*re + im*im) would overflow to infinity as soon
// as a part exceeds about 1e154, and underflow to 0 below about 1e-162.
// Comparisons, logic and truth tests see real parts only; a truth value goes
// into the real part and the left operand's imaginary part stays beside it.
// Increments change the real part.
#pragma once

#include <cmath>

#include "real_math.h"
#include "tamrix/tamrix.h"
#include "truth_logic.h"

namespace tmx {

struct ComplexMath : TruthLogic<ComplexMath, TmComplex> {
    using Slot = TmComplex;
    static constexpr int kType = TM_COMPLEX;
    TM_MEANING double key(const TmComplex &v) { return v.re; }
    TM_MEANING TmComplex truth_value(bool t, const TmComplex &a) { return {t ? 1.0 : 0.0, a.im}; }
    TM_MEANING TmComplex zero() { return {0.0, 0.0}; }

    static double magnitude(TmComplex z) { return std::hypot(z.re, z.im); }
    static double angle(TmComplex z) { return std::atan2(z.im, z.re); }

    // Unary minus, part by part as 0 - z: a zero part stays +0 instead of
    // turning into -0.  Otherwise -4 would carry the imaginary part -0 and land
    // below the branch cut of atan2, so sqrt(-4) gave -2i and ln(-1) gave -pi i.
    // Every nonzero, infinite or NaN part is negated as usual.
    TM_MEANING double negate_part(double x) { return x == 0 ? 0.0 : -x; }
    TM_MEANING TmComplex neg(TmComplex z) { return {negate_part(z.re), negate_part(z.im)}; }

    TM_MEANING TmComplex add(TmComplex a, TmComplex b) { return {a.re + b.re, a.im + b.im}; }
    TM_MEANING TmComplex sub(TmComplex a, TmComplex b) { return {a.re - b.re, a.im - b.im}; }
    TM_MEANING TmComplex step_up(TmComplex v) { return {v.re + 1.0, v.im}; }
    TM_MEANING TmComplex step_down(TmComplex v) { return {v.re - 1.0, v.im}; }

    // Three real multiplications instead of four.
    TM_MEANING TmComplex mul(TmComplex a, TmComplex b) {
        const double k1 = a.re * b.re;
        const double k2 = a.im * b.im;
        const double k3 = (a.re + a.im) * (b.re + b.im);
        return {k1 - k2, k3 - k1 - k2};
    }

    // A zero divisor gives IEEE infinities or NaNs, never a run error.
    TM_MEANING TmComplex div(TmComplex a, TmComplex b) {
        const double d = b.re * b.re + b.im * b.im;
        const double k1 = a.re * b.re;
        const double k2 = a.im * b.im;
        const double k3 = (a.re + a.im) * (b.re - b.im);
        return {(k1 + k2) / d, (k3 - k1 + k2) / d};
    }

    // a^b through polar form; 0 raised to anything (0 included) is 0.
    static TmComplex pow(TmComplex a, TmComplex b) {
        if (a.re == 0 && a.im == 0) return {0.0, 0.0};
        const double ln_r = std::log(magnitude(a));
        const double theta = angle(a);
        const double rho = std::exp(b.re * ln_r - b.im * theta);
        const double phi = b.re * theta + b.im * ln_r;
        return {rho * std::cos(phi), rho * std::sin(phi)};
    }

    // Principal root.
    static TmComplex sqrt(TmComplex z) {
        const double s = std::sqrt(magnitude(z));
        const double half = angle(z) / 2;
        return {s * std::cos(half), s * std::sin(half)};
    }

    static TmComplex exp(TmComplex z) {
        const double e = std::exp(z.re);
        return {e * std::cos(z.im), e * std::sin(z.im)};
    }

    static TmComplex ln(TmComplex z) { return {std::log(magnitude(z)), angle(z)}; }

    // With p = e^im / 2 and q = e^-im / 2: p + q = cosh im, p - q = sinh im.
    static TmComplex sin(TmComplex z) {
        const double p = std::exp(z.im) / 2, q = std::exp(-z.im) / 2;
        return {std::sin(z.re) * (p + q), std::cos(z.re) * (p - q)};
    }

    static TmComplex cos(TmComplex z) {
        const double p = std::exp(z.im) / 2, q = std::exp(-z.im) / 2;
        return {std::cos(z.re) * (p + q), -std::sin(z.re) * (p - q)};
    }

    // abs, floor and ceil give real results; the conversions work on the real
    // part as the real type's do and keep the imaginary part.
    static TmComplex abs(TmComplex z) { return {magnitude(z), 0.0}; }
    static TmComplex floor(TmComplex z) { return {RealMath::floor(z.re), 0.0}; }
    static TmComplex ceil(TmComplex z) { return {RealMath::ceil(z.re), 0.0}; }
    TM_MEANING TmComplex con(TmComplex z) { return {z.re, -z.im}; }
    TM_MEANING TmComplex xy(TmComplex z) { return {z.im, z.re}; }
    TM_MEANING TmComplex x0(TmComplex z) { return {0.0, z.im}; }
    TM_MEANING TmComplex y0(TmComplex z) { return {z.re, 0.0}; }
    static TmComplex itor(TmComplex z) { return {RealMath::itor(z.re), z.im}; }
    static TmComplex rtoi(TmComplex z) { return {RealMath::rtoi(z.re), z.im}; }

    // The string area (string_area.h) sees the real part as the real type
    // sees its value; a get replaces the real part.
    using Scalar = double;
    TM_MEANING int64_t string_index(const TmComplex &t) { return RealMath::string_index(t.re); }
    TM_MEANING double string_scalar(const TmComplex &t) { return t.re; }
    TM_MEANING int64_t string_bits(double x) { return RealMath::string_bits(x); }
    TM_MEANING TmComplex with_string_value(const TmComplex &t, double v) { return {v, t.im}; }
};

}  // namespace tmx
