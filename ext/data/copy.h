// Copying one object onto another of a compatible shape, shared by copy and
// newcopy.
#pragma once

#include <cstdint>

#include "library.h"
#include "native_stack.h"

namespace tmdata {

enum class CopyMode {
    kStrict,    // equal type identifiers
    kLoose,     // same storage size group (classes and external types: same kind)
    kSameKind,  // equal kinds: newcopy's copy onto an object it made from the kind
};

// Copies `source` onto `destination`, classes member by member; reports as
// the script function copy does and gives false after a report.  `depth`
// counts the class levels above.
bool copy_object(Library &lib, TmCallContext *ctx, uint32_t destination, uint32_t source,
                 CopyMode mode, int depth);

// The nesting a recursive class operation may reach: the script's limit,
// within a fixed cap.
inline int nesting_limit(const Library &lib) {
    return lib.recursionLimit < kNativeNestingCap ? lib.recursionLimit : kNativeNestingCap;
}

// Whether a recursive class operation at `depth` must stop: beyond the
// nesting limit, or near the end of the native stack.
inline bool too_deep(const Library &lib, int depth) {
    return depth > nesting_limit(lib) || native_stack_low();
}

}  // namespace tmdata
