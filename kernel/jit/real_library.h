// The functions native code calls for real built-ins: the very definitions
// the interpreter and the fast form inline (RealMath, real_math.h).  Taking
// their addresses here (instead of writing the operations out in machine
// code) is what keeps every tier on the same bits.
#pragma once

#include <cstdint>

namespace tmx::jit_library {

using Unary = double (*)(double);
using Binary = double (*)(double, double);

// The library function of a one-argument real built-in byte, or null when
// the byte is not one (sqrt, abs and the operators are written out inline:
// they are single exact instructions in both tiers).
Unary unary(uint8_t byte);
// Likewise for two-argument built-ins and the power operator.
Binary binary(uint8_t byte);

}  // namespace tmx::jit_library
