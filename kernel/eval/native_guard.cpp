#include "native_guard.h"

#include <algorithm>

#include "platform/native_stack.h"

namespace tmx {

thread_local constinit uintptr_t t_native_stack_floor __attribute__((tls_model("initial-exec"))) = 0;

namespace {

// Room kept below the deepest activation: external functions, built-ins, the
// C library and a signal handler all run below it.
constexpr uintptr_t kMargin = 256 * 1024;
// When the system cannot tell where the stack ends, assume this much below
// the first activation; recursion then stops early but safely.
constexpr uintptr_t kAssumedStack = 1024 * 1024;

}  // namespace

// A thread started with a small stack (say 256 KiB) must still be able to
// evaluate: the margin is capped at half of what lies below the first
// activation, so such a thread keeps half its stack for formulas and half for
// what they call.
uintptr_t compute_native_stack_floor() {
    auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    uintptr_t low = platform::thread_stack_low();
    if (low == 0 || low >= here) low = here > kAssumedStack ? here - kAssumedStack : 0;
    uintptr_t room = here - low;
    uintptr_t floor = low + std::min(kMargin, room / 2);
    t_native_stack_floor = floor;
    return floor;
}

}  // namespace tmx
