// Protection of the native (C) stack.  Formula recursion is bounded by the
// shared value stack, but each nested activation is also a native call; a
// shared stack large enough for millions of levels would overflow the thread's
// own stack long before.  Every activation checks the address of its frame
// against a per-thread low-water mark and fails with "StackOverFlow" instead.
#pragma once

#include <cstdint>

namespace tmx {

// Lowest frame address the current thread may use for an activation (0 until
// computed).  Initial-exec TLS: one segment-relative load, no call.
// constinit: no thread-local initialisation wrapper is called on access.
extern thread_local constinit uintptr_t t_native_stack_floor
    __attribute__((tls_model("initial-exec")));

uintptr_t compute_native_stack_floor();

// Every evaluation starts at one of the evaluate exports, which make sure the
// calling thread's floor is known; the check on each activation is then a
// single compare.  (A floor of 0 would let everything through, so no path may
// start an activation without passing here first.)
inline void prepare_native_stack_floor() {
    if (__builtin_expect(t_native_stack_floor == 0, 0)) compute_native_stack_floor();
}

// True when the calling frame is too deep to start another activation.
// The stack pointer is read directly where possible: asking for the frame
// address would make the evaluator keep a frame pointer, costing it a register.
inline bool native_stack_exhausted() {
#if defined(__x86_64__)
    uintptr_t here;
    asm("mov %%rsp, %0" : "=r"(here));
#else
    uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
#endif
    return here < t_native_stack_floor;
}

}  // namespace tmx
