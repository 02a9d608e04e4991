// What every sys:: function needs from its call: the library, the call
// context and the function's name, and a way to report an error.
#pragma once

#include <cstdint>

#include "library.h"

namespace syslib {

struct Call {
    Library &lib;
    TmCallContext *ctx;
    const char16_t *name;  // "sys::call"
    int errorType;         // 1 from integer formulas, 2 from real ones

    // Records code unless an error is pending; the function returns 0.
    int64_t fail(int code) const {
        if (lib.kernel.TestRunErr() == 0) lib.kernel.SetRunErr(errorType, name, code, 0, ctx);
        return 0;
    }
};

// The calling formula's text at a word index of its string area, copied
// (the area ends the text even where its terminator was overwritten).
// False when the index lies outside the area.
bool caller_text(const Library &lib, TmCallContext *ctx, int64_t index, std::u16string *out);

}  // namespace syslib
