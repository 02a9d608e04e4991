// Kind codes and what follows from them: storage form, element size, the
// size groups a loose copy accepts.  One table, so the sizes and groups
// never drift apart.
#pragma once

#include <cstddef>

#include "tamrix/tamrix_data.h"

namespace tmdata {

constexpr bool is_scalar_kind(int kind) { return kind >= TMD_COMPLEX && kind <= TMD_INT8; }
constexpr bool is_array_kind(int kind) { return kind >= TMD_COMPLEX_S && kind <= TMD_INT8_S; }
constexpr bool is_builtin_kind(int kind) { return kind >= TMD_CLASS && kind <= TMD_INT8; }
// Identifiers RegTmDataType hands out.
constexpr bool is_registered_id(int id) { return id <= -256; }

// The scalar kind of an array's elements (the kind itself for a scalar).
constexpr int element_kind(int kind) { return is_array_kind(kind) ? kind + 12 : kind; }

// Bytes of a scalar value or of one array element; 0 for other kinds.
constexpr size_t element_size(int kind) {
    switch (element_kind(kind)) {
    case TMD_INT8: case TMD_UINT8: return 1;
    case TMD_INT16: case TMD_UINT16: case TMD_WCHAR: return 2;
    case TMD_INT32: case TMD_UINT32: case TMD_REAL32: return 4;
    case TMD_INT64: case TMD_UINT64: case TMD_REAL64: return 8;
    case TMD_COMPLEX: return 16;
    default: return 0;
    }
}

constexpr bool is_signed_integer(int kind) {
    int e = element_kind(kind);
    return e == TMD_INT8 || e == TMD_INT16 || e == TMD_INT32 || e == TMD_INT64;
}

// A loose copy accepts a source of the same storage form whose elements have
// the same size: the size groups are exactly the element sizes.
constexpr bool same_size_group(int a, int b) {
    return is_scalar_kind(a) == is_scalar_kind(b) && is_array_kind(a) == is_array_kind(b) &&
           element_size(a) != 0 && element_size(a) == element_size(b);
}

}  // namespace tmdata
