// Conversions from double to integers that are defined for every double.
//
// A NaN or a value whose truncation does not fit gives the smallest value of
// the target type: the "integer indefinite" value the processor's own
// truncating conversion yields, so results match what compiled code on the
// original platform produced.  As a 32-bit index that value is negative and
// therefore always refused.
#pragma once

#include <cstdint>
#include <limits>

namespace tmx {

constexpr int64_t trunc_to_i64(double x) {
    // 2^63 is exact in a double; the range test is false for NaN.
    if (x >= -9223372036854775808.0 && x < 9223372036854775808.0) return int64_t(x);
    return std::numeric_limits<int64_t>::min();
}

constexpr int32_t trunc_to_i32(double x) {
    if (x > -2147483649.0 && x < 2147483648.0) return int32_t(x);
    return std::numeric_limits<int32_t>::min();
}

}  // namespace tmx
