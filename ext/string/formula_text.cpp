#include "formula_text.h"

namespace strlib {

size_t StringArea::length_at(int64_t index) const {
    size_t n = 0;
    while (index + int64_t(n) <= last && words[index + int64_t(n)] != 0) ++n;
    return n;
}

bool StringArea::holds_region(int64_t dest, int64_t size) const {
    return words && dest >= first && dest <= last && size <= int64_t(last) - dest;
}

StringArea caller_area(const Library &lib, TmCallContext *ctx) {
    StringArea area;
    if (ctx) lib.kernel.GetForStr(ctx, &area.words, &area.first, &area.last);
    if (!area.words) area = StringArea{};
    return area;
}

StringArea formula_area(const Library &lib, int type, uint32_t handle) {
    StringArea area;
    // Without a formula the kernel reads the handle from the string pointer
    // and its type from the last index.
    area.words = reinterpret_cast<char16_t *>(uintptr_t(handle));
    area.last = type;
    lib.kernel.GetForStr(nullptr, &area.words, &area.first, &area.last);
    if (!area.words) area = StringArea{};
    return area;
}

}  // namespace strlib
