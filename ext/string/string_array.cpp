#include "string_array.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace strlib {

ArrayCheck find_string_array(const Library &lib, uint32_t handle, Width width, StringArray *out) {
    int kind = 0;
    if (handle == 0 || lib.data.isData(int64_t(handle), &kind) == 0) return kNotStringArray;
    const bool wide = kind == lib.wideKind;
    if (!wide && kind != lib.byteKind) return kNotStringArray;
    if ((width == Width::Byte && wide) || (width == Width::Wide && !wide)) return kNotStringArray;
    auto *block = static_cast<TmDataArray *>(lib.data.payload(int64_t(handle)));
    if (!block || !block->dims || !block->buffer) return kNotStringArray;
    if (block->dims[0] != 3 || block->dims[1] < 0) return kNotOneDimensional;
    *out = {block, wide, block->dims[1]};
    return kArrayOk;
}

ArrayCheck worse_check(ArrayCheck a, ArrayCheck b) {
    if (a == kNotStringArray || b == kNotStringArray) return kNotStringArray;
    return a != kArrayOk ? a : b;
}

// Growing keeps every old element (the content may fill the whole capacity
// without a terminator, when it was written element by element); shrinking
// keeps n - 1 of them.  Either way a zero follows what was kept.
bool resize_string(const Library &lib, StringArray &s, int64_t n) {
    if (n < 1 || n > INT_MAX) return false;
    const int kind = s.wide ? lib.wideKind : lib.byteKind;
    const int dims[3] = {3, int(n), int(n)};
    int *newDims = nullptr;
    void *newBuffer = nullptr;
    if (!lib.data.newArray(kind, dims, &newDims, &newBuffer)) return false;
    const size_t size = s.wide ? 2 : 1;
    const size_t kept = size_t(std::min<int64_t>(n - 1, s.capacity));
    std::memcpy(newBuffer, s.block->buffer, kept * size);
    std::memset(static_cast<char *>(newBuffer) + kept * size, 0, size);
    lib.data.delArray(s.block->dims, s.block->buffer);
    s.block->dims = newDims;
    s.block->buffer = newBuffer;
    s.capacity = int(n);
    return true;
}

}  // namespace strlib
