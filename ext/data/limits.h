// Bounds that keep absurd requests from a script away from the allocator and
// the native stack.  Everything beyond them is refused with the function's
// own message instead of being attempted.
#pragma once

#include <cstddef>

namespace tmdata {

// One payload (an element buffer, a class's member arrays) never exceeds
// 256 MiB, as the kernel bounds its own work buffers;
// elements are counted in an int as the dimension vector holds them.
inline constexpr size_t kMaxPayloadBytes = size_t(1) << 28;

// Bytes of one class member slot: name pointer, value, attribute.
inline constexpr size_t kClassSlotBytes = sizeof(void *) + 8 + 1;

// Nested deletions beyond this depth are deferred and done one after the
// other, so a long chain of owned classes never recurses without bound.
inline constexpr int kDeferDepth = 1000;

// Recursive class operations (deep copy, copy, the searches and walks) nest
// natively; whatever limit a script sets, they stop here, well within the
// main thread's stack even in a sanitized build.
inline constexpr int kNativeNestingCap = 5000;

// Initial values of the limits scripts may change.
inline constexpr int kDefaultObjectLimit = 10000;
inline constexpr int kDefaultRecursionLimit = 1000;
inline constexpr int kMinRecursionLimit = 100;

// Key types: the object type is searched from here downward, the type-entry
// type from one below the object type.
inline constexpr int kFirstObjectKeyType = -379;

// report_error keeps a message below this many characters.
inline constexpr int kMessageLimit = 260;

}  // namespace tmdata
