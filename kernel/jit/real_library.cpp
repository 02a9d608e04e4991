#include "real_library.h"

#include <cmath>

#include "../eval/real_math.h"
#include "../opcodes.h"

namespace tmx::jit_library {

Unary unary(uint8_t byte) {
    switch (byte) {
    case kFirstBuiltin + real_op::exp_: return RealMath::exp;
    case kFirstBuiltin + real_op::ln_: return RealMath::ln;
    case kFirstBuiltin + real_op::lg_: return RealMath::lg;
    case kFirstBuiltin + real_op::sin_: return RealMath::sin;
    case kFirstBuiltin + real_op::cos_: return RealMath::cos;
    case kFirstBuiltin + real_op::tan_: return RealMath::tan;
    case kFirstBuiltin + real_op::asin_: return RealMath::asin;
    case kFirstBuiltin + real_op::acos_: return RealMath::acos;
    case kFirstBuiltin + real_op::atan_: return RealMath::atan;
    case kFirstBuiltin + real_op::sinh_: return RealMath::sinh;
    case kFirstBuiltin + real_op::cosh_: return RealMath::cosh;
    case kFirstBuiltin + real_op::tanh_: return RealMath::tanh;
    case kFirstBuiltin + real_op::floor_: return RealMath::floor;
    case kFirstBuiltin + real_op::ceil_: return RealMath::ceil;
    case kFirstBuiltin + real_op::itor_: return RealMath::itor;
    case kFirstBuiltin + real_op::rtoi_: return RealMath::rtoi;
    default: return nullptr;
    }
}

Binary binary(uint8_t byte) {
    switch (byte) {
    case OpPow: return RealMath::pow;
    case kFirstBuiltin + real_op::atan2_: return RealMath::atan2;
    case kFirstBuiltin + real_op::fmod_: return RealMath::fmod;
    case kFirstBuiltin + real_op::sign_: return RealMath::sign;
    case kFirstBuiltin + real_op::dim_: return RealMath::dim;
    case kFirstBuiltin + real_op::padd_: return RealMath::padd;
    default: return nullptr;
    }
}

}  // namespace tmx::jit_library
