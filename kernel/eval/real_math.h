// Real built-ins that take more than one library call; shared by the byte-code
// interpreter and the pre-decoded fast form so both give the same bits.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "conversions.h"

namespace tmx::real_math {

// The slot's 64 bits read as a signed integer, converted to double.
inline double itor(double t) { return double(std::bit_cast<int64_t>(t)); }
// Truncated toward zero to a 64-bit integer, kept as its raw bits.
inline double rtoi(double t) { return std::bit_cast<double>(trunc_to_i64(t)); }

// Adds t (truncated to 32 bits) to the low 32 bits of a's slot: pointer
// arithmetic on a value that carries an address.
inline double padd(double a, double t) {
    auto bits = std::bit_cast<uint64_t>(a);
    uint32_t low = uint32_t(bits) + uint32_t(trunc_to_i32(t));
    return std::bit_cast<double>((bits & 0xFFFFFFFF00000000u) | low);
}

inline double sign(double a, double t) { return t >= 0 ? std::fabs(a) : -std::fabs(a); }
inline double dim(double a, double t) { return a > t ? a - t : 0.0; }

}  // namespace tmx::real_math
