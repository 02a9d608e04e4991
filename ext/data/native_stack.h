// How much of the thread's own stack is left.  The recursive class
// operations (copies, searches, walks) and nested deletions stop, or defer,
// while a margin is still free below them, whatever depth a script allows:
// frames are several times larger in sanitized builds, and a formula may
// call the library from deep recursion of its own.
#pragma once

#include <cstdint>

namespace tmdata {

// True when the calling frame has come within the margin of the stack's end.
bool native_stack_low();

}  // namespace tmdata
