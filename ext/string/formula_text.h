// Strings in formulas' string areas: the calling formula's literals, and the
// area of another formula named by type and handle.  Indices are word
// indices, valid from the area's first string to its last word; every read
// stops at the end of the area, even where a script has overwritten a
// terminator.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library.h"

namespace strlib {

struct StringArea {
    char16_t *words = nullptr;  // null: the formula has no area
    int first = 1;
    int last = 0;

    bool holds(int64_t index) const { return words && index >= first && index <= last; }
    // Characters from index (which it holds) up to a zero or the area's end.
    size_t length_at(int64_t index) const;
    // Whether [dest, dest + size] lies inside the area.
    bool holds_region(int64_t dest, int64_t size) const;
};

StringArea caller_area(const Library &lib, TmCallContext *ctx);
// The area of the formula (type 1-3) whose handle "HFor" gave out.
StringArea formula_area(const Library &lib, int type, uint32_t handle);

}  // namespace strlib
