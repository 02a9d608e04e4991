// The current thread's native stack bounds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Lowest usable address of the calling thread's stack (its guard area
// excluded), or 0 when the system cannot tell.
uintptr_t thread_stack_low();

}  // namespace platform
