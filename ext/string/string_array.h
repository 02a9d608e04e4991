// Strings kept in the data library's one-dimensional character arrays:
// finding them behind a handle, their content up to the first zero element,
// and resizing them in place (the handle stays, the dimension vector and
// element buffer are replaced through the data library's services).
#pragma once

#include <cstddef>
#include <cstdint>

#include "library.h"

namespace strlib {

// Which kinds a function accepts.
enum class Width { Byte, Wide, Either };

// How a handle failed to name a usable string, in the codes every function
// reports for it.
enum ArrayCheck : int { kArrayOk = 0, kNotStringArray = 1, kNotOneDimensional = 2 };

struct StringArray {
    TmDataArray *block = nullptr;
    bool wide = false;
    int capacity = 0;  // elements, terminator included
};

ArrayCheck find_string_array(const Library &lib, uint32_t handle, Width width, StringArray *out);

// The first failure of two arguments: a wrong kind in either before a wrong
// shape in either.
ArrayCheck worse_check(ArrayCheck a, ArrayCheck b);

template <class Char>
Char *elements(const StringArray &s) {
    return static_cast<Char *>(s.block->buffer);
}

// Characters before the first zero element.  The buffer always holds a
// zero element just past its capacity, so the scan stops inside it.
template <class Char>
size_t content_length(const StringArray &s) {
    const Char *p = elements<Char>(s);
    size_t n = 0;
    while (p[n] != 0) ++n;
    return n;
}

// Makes the capacity exactly n (1 <= n <= INT_MAX) keeping the content that
// fits, zero-terminated.  False, with the array unchanged, when n is out of
// range or the data library has no memory.
bool resize_string(const Library &lib, StringArray &s, int64_t n);

// Room for k elements: in place when the capacity is at least k, else
// resized to exactly k.
inline bool reserve_string(const Library &lib, StringArray &s, int64_t k) {
    return k <= s.capacity || resize_string(lib, s, k);
}

}  // namespace strlib
