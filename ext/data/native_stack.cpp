#include "native_stack.h"

#include "platform/native_stack.h"

namespace tmdata {

namespace {

// Room left for the kernel calls, the C library and the host below the
// deepest frame of the library.
#if defined(__SANITIZE_ADDRESS__)
constexpr uintptr_t kMargin = 1024 * 1024;
#else
constexpr uintptr_t kMargin = 192 * 1024;
#endif
// When the system cannot tell where the stack ends, assume this much below
// the first frame that asks.
constexpr uintptr_t kAssumedStack = 1024 * 1024;

thread_local uintptr_t t_floor = 0;

uintptr_t here() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

// A small thread keeps at least half of what lies below the first question.
uintptr_t compute_floor() {
    const uintptr_t top = here();
    uintptr_t low = platform::thread_stack_low();
    if (low == 0 || low >= top) low = top > kAssumedStack ? top - kAssumedStack : 0;
    const uintptr_t room = top - low;
    return low + (kMargin < room / 2 ? kMargin : room / 2);
}

}  // namespace

bool native_stack_low() {
    if (t_floor == 0) t_floor = compute_floor();
    return here() < t_floor;
}

}  // namespace tmdata
