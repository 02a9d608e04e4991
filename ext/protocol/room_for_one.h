// Makes room for one more element before a push that must not fail (the
// element owns something that would leak, or a key is already in).  The
// capacity grows by half again each time, so n pushes cost O(n) copies;
// reserving size() + 1 would copy the whole vector on every push.
#pragma once

#include <algorithm>
#include <cstddef>

namespace extproto {

// Throws std::bad_alloc like reserve when memory is exhausted.
template <class Vector>
void room_for_one(Vector &v) {
    if (v.size() < v.capacity()) return;
    std::size_t grown = v.capacity() + v.capacity() / 2;
    v.reserve(std::max<std::size_t>(grown, std::max<std::size_t>(v.size() + 1, 8)));
}

}  // namespace extproto
