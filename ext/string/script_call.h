// One call of a string:: function, independent of the formula type that
// made it: the arguments read once from the slots, and where errors go.
#pragma once

#include <cstdint>

#include "library.h"

namespace strlib {

inline constexpr int kMaxArguments = 5;

// Each argument in the three readings a function may want: the handle it
// carries (low 32 bits), an integer (a count, index, type or value) and a
// real number.  Integer formulas give the slot as it is and its 8 bytes as
// the real; real formulas give the number, truncated for the integer.
struct Arguments {
    uint32_t handle[kMaxArguments] = {};
    int64_t integer[kMaxArguments] = {};
    double real[kMaxArguments] = {};
};

struct Call {
    const Library &lib;
    TmCallContext *ctx;
    const char16_t *name;  // the full name, "string::strcat"
    const Arguments &args;

    // Records code as run error type 1 unless an error is pending; the
    // function then returns 0.
    int64_t fail(int code) const {
        if (lib.kernel.TestRunErr() == 0) lib.kernel.SetRunErr(1, name, code, 0, ctx);
        return 0;
    }
};

// A string function: its result, which for a function that returns its
// first argument is 1 on success (the entry point then hands back that
// argument as it came) and 0 on failure.
using Operation = int64_t (*)(const Call &call);

}  // namespace strlib
