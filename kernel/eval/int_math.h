// What every operator and pure built-in means in integer formulas: the one
// definition the interpreter and constant folding use.
//
// Formulas compute in 64-bit two's complement and wrap on overflow.  C++
// leaves signed overflow undefined, so everything that can overflow is done
// on the unsigned representation and converted back (a modular conversion
// since C++20).  The two cases a processor traps on are defined here instead:
//   INT64_MIN / -1 = INT64_MIN  (the wrapped quotient, like INT64_MIN * -1)
//   INT64_MIN % -1 = 0          (every number is a multiple of -1)
// Division by zero is the caller's: it records a run error and keeps a.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>

#include "conversions.h"
#include "tamrix/tamrix.h"
#include "truth_logic.h"

namespace tmx {

struct IntMath : TruthLogic<IntMath, int64_t> {
    using Slot = int64_t;
    static constexpr int kType = TM_INTEGER;
    static constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

    TM_MEANING int64_t key(int64_t v) { return v; }
    TM_MEANING int64_t truth_value(bool t, int64_t) { return t ? 1 : 0; }
    TM_MEANING int64_t zero() { return 0; }

    TM_MEANING int64_t add(int64_t a, int64_t b) { return int64_t(uint64_t(a) + uint64_t(b)); }
    TM_MEANING int64_t sub(int64_t a, int64_t b) { return int64_t(uint64_t(a) - uint64_t(b)); }
    TM_MEANING int64_t mul(int64_t a, int64_t b) { return int64_t(uint64_t(a) * uint64_t(b)); }
    TM_MEANING int64_t neg(int64_t a) { return int64_t(0 - uint64_t(a)); }
    TM_MEANING int64_t step_up(int64_t v) { return add(v, 1); }
    TM_MEANING int64_t step_down(int64_t v) { return sub(v, 1); }

    // b != 0.  Truncates toward zero.
    TM_MEANING int64_t quotient(int64_t a, int64_t b) { return b == -1 ? neg(a) : a / b; }
    // b != 0.  Takes the sign of a.
    TM_MEANING int64_t remainder(int64_t a, int64_t b) { return b == -1 ? 0 : a % b; }

    // The most negative value has no positive counterpart and stays as it is.
    TM_MEANING int64_t abs(int64_t a) { return a < 0 ? neg(a) : a; }

    TM_MEANING int64_t bit_not(int64_t a) { return ~a; }
    TM_MEANING int64_t bit_or(int64_t a, int64_t b) { return a | b; }
    TM_MEANING int64_t bit_and(int64_t a, int64_t b) { return a & b; }
    TM_MEANING int64_t bit_xor(int64_t a, int64_t b) { return a ^ b; }

    // Shift counts are the low 8 bits of b; counts of 64 and more shift
    // everything out (left: 0; right: the sign fill).
    TM_MEANING int64_t shl(int64_t a, int64_t b) {
        const unsigned n = unsigned(uint64_t(b) & 0xFF);
        return n >= 64 ? 0 : int64_t(uint64_t(a) << n);
    }
    TM_MEANING int64_t shr(int64_t a, int64_t b) {
        const unsigned n = unsigned(uint64_t(b) & 0xFF);
        return n >= 64 ? (a < 0 ? -1 : 0) : a >> n; // arithmetic since C++20
    }

    // Adds the low halves (carry dropped); the high half of a stays.
    TM_MEANING int64_t padd(int64_t a, int64_t b) {
        const uint64_t bits = uint64_t(a);
        const uint32_t low = uint32_t(bits) + uint32_t(uint64_t(b));
        return int64_t((bits & 0xFFFFFFFF00000000u) | low);
    }

    // A pointer is the low 32 bits of a value; itop keeps the value.
    TM_MEANING int64_t ptoi(int64_t a) { return int64_t(int32_t(uint32_t(uint64_t(a)))); }
    TM_MEANING int64_t itop(int64_t a) { return a; }

    // The value as a double, kept as the double's bits; and back, truncating
    // toward zero (NaN and out-of-range doubles give INT64_MIN).
    TM_MEANING int64_t itor(int64_t a) { return std::bit_cast<int64_t>(double(a)); }
    [[gnu::always_inline]] static int64_t rtoi(int64_t a) {
        return trunc_to_i64(std::bit_cast<double>(a));
    }

    // The string area (string_area.h): the value is the index, setc/setw
    // store its low 8/16 bits.
    using Scalar = int64_t;
    TM_MEANING int64_t string_index(int64_t i) { return i; }
    TM_MEANING int64_t string_scalar(int64_t v) { return v; }
    TM_MEANING int64_t string_bits(int64_t v) { return v; }
    TM_MEANING int64_t with_string_value(int64_t, int64_t v) { return v; }
};

}  // namespace tmx
