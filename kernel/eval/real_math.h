// What every operator and pure built-in means in real formulas: the one
// definition the byte-code interpreter, the fast form, constant folding and
// the native tier's library calls all use, so that every path gives the same
// bits.  IEEE arithmetic, no run errors; `^` is the power.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "conversions.h"
#include "tamrix/tamrix.h"
#include "truth_logic.h"

namespace tmx {

struct RealMath : TruthLogic<RealMath, double> {
    using Slot = double;
    static constexpr int kType = TM_REAL;

    TM_MEANING double key(double v) { return v; }
    TM_MEANING double truth_value(bool t, double) { return t ? 1.0 : 0.0; }
    TM_MEANING double zero() { return 0.0; }

    TM_MEANING double add(double a, double b) { return a + b; }
    TM_MEANING double sub(double a, double b) { return a - b; }
    TM_MEANING double mul(double a, double b) { return a * b; }
    TM_MEANING double div(double a, double b) { return a / b; }
    // a^2 is the product a*a, the correctly rounded square.  The library's
    // pow is accurate to about half an ulp only and misrounds about one square
    // in 2300; the C++ compiler makes the same replacement in its own code, so
    // a formula and the C++ it was written from agree on squares.
    [[gnu::always_inline]] static double pow(double a, double b) {
        return b == 2.0 ? a * a : std::pow(a, b);
    }
    TM_MEANING double neg(double t) { return -t; }
    TM_MEANING double step_up(double v) { return v + 1.0; }
    TM_MEANING double step_down(double v) { return v - 1.0; }

#define TM_REAL_LIBRARY(name, function)                                              \
    [[gnu::always_inline]] static double name(double t) { return function(t); }
    TM_REAL_LIBRARY(sqrt, std::sqrt)
    TM_REAL_LIBRARY(exp, std::exp)
    TM_REAL_LIBRARY(ln, std::log)
    TM_REAL_LIBRARY(lg, std::log10)
    TM_REAL_LIBRARY(sin, std::sin)
    TM_REAL_LIBRARY(cos, std::cos)
    TM_REAL_LIBRARY(tan, std::tan)
    TM_REAL_LIBRARY(asin, std::asin)
    TM_REAL_LIBRARY(acos, std::acos)
    TM_REAL_LIBRARY(atan, std::atan)
    TM_REAL_LIBRARY(sinh, std::sinh)
    TM_REAL_LIBRARY(cosh, std::cosh)
    TM_REAL_LIBRARY(tanh, std::tanh)
    TM_REAL_LIBRARY(abs, std::fabs)
    TM_REAL_LIBRARY(floor, std::floor)
    TM_REAL_LIBRARY(ceil, std::ceil)
#undef TM_REAL_LIBRARY
    [[gnu::always_inline]] static double atan2(double a, double t) { return std::atan2(a, t); }
    [[gnu::always_inline]] static double fmod(double a, double t) { return std::fmod(a, t); }

    // The slot's 64 bits read as a signed integer, converted to double.
    [[gnu::always_inline]] static double itor(double t) {
        return double(std::bit_cast<int64_t>(t));
    }
    // Truncated toward zero to a 64-bit integer, kept as its raw bits.
    [[gnu::always_inline]] static double rtoi(double t) {
        return std::bit_cast<double>(trunc_to_i64(t));
    }
    // Adds t (truncated to 32 bits) to the low 32 bits of a's slot: pointer
    // arithmetic on a value that carries an address.
    [[gnu::always_inline]] static double padd(double a, double t) {
        const auto bits = std::bit_cast<uint64_t>(a);
        const uint32_t low = uint32_t(bits) + uint32_t(trunc_to_i32(t));
        return std::bit_cast<double>((bits & 0xFFFFFFFF00000000u) | low);
    }
    [[gnu::always_inline]] static double sign(double a, double t) { return t >= 0 ? std::fabs(a) : -std::fabs(a); }
    TM_MEANING double dim(double a, double t) { return a > t ? a - t : 0.0; }

    // The string area (string_area.h): indices and stored bytes and words
    // are the value truncated to 32 bits; getn/setn move the double itself.
    using Scalar = double;
    TM_MEANING int64_t string_index(double t) { return trunc_to_i32(t); }
    TM_MEANING double string_scalar(double t) { return t; }
    TM_MEANING int64_t string_bits(double x) { return trunc_to_i32(x); }
    TM_MEANING double with_string_value(double, double v) { return v; }
};

// The real built-ins that are functions of their operands alone (the others
// reach the string area), by their names in TM_REAL_BUILTINS.
#define TM_REAL_PURE_UNARY(X)                                                        \
    X(sqrt) X(exp) X(ln) X(lg) X(sin) X(cos) X(tan) X(asin) X(acos) X(atan) X(sinh)  \
    X(cosh) X(tanh) X(abs) X(floor) X(ceil) X(itor) X(rtoi)
#define TM_REAL_PURE_BINARY(X) X(atan2) X(fmod) X(sign) X(dim) X(padd)

}  // namespace tmx
