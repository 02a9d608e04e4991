// String literals of the calling formula: a script passes one as a number,
// its index in the formula's string area, which is only trusted inside the
// range the kernel reports for that formula.
#pragma once

#include <cstdint>
#include <string_view>

#include "library.h"

namespace tmdata {

// The literal at `index`, or null when the index is not a valid one.
inline const char16_t *formula_string(const Library &lib, TmCallContext *ctx, int64_t index) {
    char16_t *area = nullptr;
    int first = 1, last = 0;
    lib.kernel.GetForStr(ctx, &area, &first, &last);
    if (!area || index < first || index > last) return nullptr;
    return area + index;
}

inline std::u16string_view view_of(const char16_t *s) {
    return s ? std::u16string_view(s) : std::u16string_view();
}

}  // namespace tmdata
