#include "real_library.h"

#include <cmath>

#include "../eval/real_math.h"
#include "../opcodes.h"

namespace tmx::jit_library {

namespace {

// Out-of-line copies of the kernel's own helpers, so that native code has an
// address to call.
double itor(double t) { return real_math::itor(t); }
double rtoi(double t) { return real_math::rtoi(t); }
double sign(double a, double t) { return real_math::sign(a, t); }
double dim(double a, double t) { return real_math::dim(a, t); }
double padd(double a, double t) { return real_math::padd(a, t); }

constexpr Unary library(double (*f)(double)) { return f; }
constexpr Binary library(double (*f)(double, double)) { return f; }

}  // namespace

Unary unary(uint8_t byte) {
    switch (byte) {
    case kFirstBuiltin + real_op::exp_: return library(std::exp);
    case kFirstBuiltin + real_op::ln_: return library(std::log);
    case kFirstBuiltin + real_op::lg_: return library(std::log10);
    case kFirstBuiltin + real_op::sin_: return library(std::sin);
    case kFirstBuiltin + real_op::cos_: return library(std::cos);
    case kFirstBuiltin + real_op::tan_: return library(std::tan);
    case kFirstBuiltin + real_op::asin_: return library(std::asin);
    case kFirstBuiltin + real_op::acos_: return library(std::acos);
    case kFirstBuiltin + real_op::atan_: return library(std::atan);
    case kFirstBuiltin + real_op::sinh_: return library(std::sinh);
    case kFirstBuiltin + real_op::cosh_: return library(std::cosh);
    case kFirstBuiltin + real_op::tanh_: return library(std::tanh);
    case kFirstBuiltin + real_op::floor_: return library(std::floor);
    case kFirstBuiltin + real_op::ceil_: return library(std::ceil);
    case kFirstBuiltin + real_op::itor_: return itor;
    case kFirstBuiltin + real_op::rtoi_: return rtoi;
    default: return nullptr;
    }
}

Binary binary(uint8_t byte) {
    switch (byte) {
    case OpPow: return library(std::pow);
    case kFirstBuiltin + real_op::atan2_: return library(std::atan2);
    case kFirstBuiltin + real_op::fmod_: return library(std::fmod);
    case kFirstBuiltin + real_op::sign_: return sign;
    case kFirstBuiltin + real_op::dim_: return dim;
    case kFirstBuiltin + real_op::padd_: return padd;
    default: return nullptr;
    }
}

}  // namespace tmx::jit_library
