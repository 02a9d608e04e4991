// The three ways a string reaches the character-array functions: a wchar_s
// array, a literal of the calling formula (index plus one ignored argument),
// or a literal of another formula (type, handle, index).
#pragma once

#include <cstdint>
#include <string_view>

#include "args.h"
#include "formula_strings.h"
#include "objects.h"
#include "report.h"

namespace tmdata {

// The character array a handle names, or null.
inline TmDataArray *char_array_of(uint32_t handle) {
    ObjectEntry *e = find_object(handle);
    return e && e->kind == TMD_WCHAR_S ? static_cast<TmDataArray *>(e->payload) : nullptr;
}

// The text of a character array: up to its first zero or its capacity.
inline std::u16string_view array_text(const TmDataArray &array) {
    const auto *chars = static_cast<const char16_t *>(array.buffer);
    size_t n = 0;
    while (n < size_t(array.dims[1]) && chars[n]) ++n;
    return {chars, n};
}

// The string area of another formula: its text and valid index range; false
// when the type or handle names no formula.
inline bool other_formula_area(const Library &lib, int64_t type, uint32_t handle,
                               char16_t **area, int *first, int *last) {
    if (type < 1 || type > 3) return false;
    // With no context the kernel reads the handle from the string pointer
    // and the type from the last index.
    *area = reinterpret_cast<char16_t *>(uintptr_t(handle));
    *first = 1;
    *last = int(type);
    lib.kernel.GetForStr(nullptr, area, first, last);
    return *area != nullptr;
}

struct Source {
    std::u16string_view text;
    uint32_t array = 0;  // the array handle in the array form, else 0
};

// Reads the source given by `count` (1 to 3) slots from `first`; reports
// with `prefix` and gives false when it names nothing.
template <typename A>
bool read_source(const A &a, int first, int count, std::u16string_view prefix, Source *out) {
    const Library &lib = *library();
    if (count == 1) {
        TmDataArray *array = char_array_of(a.handle(first));
        if (!array) {
            report_error(a.ctx(), 1, prefix, u"非法的字符数组指针。");
            return false;
        }
        *out = {array_text(*array), a.handle(first)};
        return true;
    }
    if (count == 2) {
        const char16_t *s = formula_string(lib, a.ctx(), a.integer(first));
        if (!s) {
            report_error(a.ctx(), 1, prefix, u"指定的字符串不存在。");
            return false;
        }
        *out = {s, 0};
        return true;
    }
    const int64_t type = a.integer(first);
    if (type < 1 || type > 3) {
        report_error(a.ctx(), 1, prefix, u"非法的表达式类型。");
        return false;
    }
    char16_t *area;
    int lo, hi;
    const int64_t index = a.integer(first + 2);
    if (!other_formula_area(lib, type, a.handle(first + 1), &area, &lo, &hi) || index < lo ||
        index > hi) {
        report_error(a.ctx(), 1, prefix, u"指定的字符串不存在。");
        return false;
    }
    *out = {area + index, 0};
    return true;
}

}  // namespace tmdata
