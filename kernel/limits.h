// The kernel's size limits in one place.  Each one turns a request that would
// exhaust memory (or take minutes) into an ordinary refusal the caller can
// report; none of them binds for anything a person would write.
//
// Bracket nesting has no limit of its own: every compile pass walks the token
// list with explicit stacks kept in the work buffers, never by native
// recursion, so any nesting that fits the source limit compiles (about two
// million levels).
#pragma once

#include <cstdint>

#include "tamrix/compile_errors.h"

namespace tmx {

// Longest formula source in characters (8 MiB of UTF-16 text).  A longer
// source is refused with compile error 39 ("source too long or too many
// strings"), range 0..0, before any pass runs.  A source of this length
// needs at most about 440 MB of work-buffer capacity (one token per
// character, about 300 MB of it touched).
inline constexpr int32_t kMaxSourceChars = int32_t(1) << 22;
inline constexpr TmCompileResult kErrorSourceTooLong = TM_CE_SOURCE_TOO_LONG;

// Largest string area (flag bytes, name and string literals with their
// zeros, bracket escapes expanded) in bytes of the code array; a layout that
// reaches it is refused with compile error 39.  The limit also bounds what a
// tiny source can ask for: "\[100000000]" alone would otherwise need two
// copies of a 200 MB code array.
inline constexpr int64_t kMaxStringAreaBytes = int64_t(1) << 26;

// Largest single compile work buffer in bytes.  Growth stops at this size; a
// compile that still needs more fails with status 1 (out of memory) and the
// work buffers are released, as after any failed growth.  Sources within the
// two limits above stay below it.
inline constexpr int64_t kMaxWorkBufferBytes = int64_t(1) << 28;

// Largest shared value stack in bytes (268,435,456 integer or real slots,
// 134,217,728 complex slots).  A stack-size function asked for more fails as
// if the allocation had failed: run error code 1, limit 0, result 0.  The
// slots are not touched until frames use them, so a large stack costs address
// space, not memory, until a recursion runs that deep.
inline constexpr int64_t kMaxValueStackBytes = int64_t(1) << 31;

}  // namespace tmx
