// How a library reads the 8-byte slots that real formulas hand it.
//
// An object handle is a 32-bit value in the low half of a 64-bit slot with
// the high half 0.  Real formulas carry those same 8 bytes inside a double,
// and such a double is always a nonzero denormal (exponent bits 0): no
// number a formula computes in ordinary arithmetic lands there by accident.
// Every other double is read as the number it holds.  So a real slot is:
//   - a handle's bit pattern, when it is a nonzero denormal: passed on as is;
//   - otherwise a number: truncated where an integer is wanted (counts,
//     indices, kind codes, values stored into integer storage).
// A position that wants a handle also takes the handle as an integral
// number, since integer values (a handle kept in an int64 array) reach real
// formulas as numbers.  Every library reads real slots through these
// helpers, so handles and numbers travel the same way everywhere.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace extproto {

inline bool is_handle_bits(double slot) {
    return std::fpclassify(slot) == FP_SUBNORMAL;
}

// The slot as an integer: a handle's bits unchanged, NaN 0, any other
// number truncated toward zero and held within the 64-bit range.
inline int64_t real_slot_integer(double slot) {
    if (is_handle_bits(slot)) return std::bit_cast<int64_t>(slot);
    if (std::isnan(slot)) return 0;
    if (slot >= 9223372036854775807.0) return INT64_MAX;
    if (slot <= -9223372036854775808.0) return INT64_MIN;
    return int64_t(slot);
}

// The slot as a handle (the low 32 bits that name an object): a handle's
// bits, or an integral number from -2^31 to 2^32 - 1 (a handle read back as
// a number, signed or not).  Anything else names no object: 0.
inline uint32_t real_slot_handle(double slot) {
    if (is_handle_bits(slot)) return uint32_t(std::bit_cast<uint64_t>(slot));
    if (!(slot >= -2147483648.0 && slot <= 4294967295.0) || std::trunc(slot) != slot) return 0;
    return uint32_t(int64_t(slot));
}

// A handle as a real formula carries it: its bits in the low half.
inline double handle_as_real(uint32_t handle) { return std::bit_cast<double>(uint64_t(handle)); }

}  // namespace extproto
