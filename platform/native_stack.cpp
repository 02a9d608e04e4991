#include "native_stack.h"

#include <pthread.h>
#include <sys/resource.h>

namespace platform {

uintptr_t thread_stack_low() {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
    void *addr = nullptr;
    size_t size = 0, guard = 0;
    int rc = pthread_attr_getstack(&attr, &addr, &size);
    pthread_attr_getguardsize(&attr, &guard);
    pthread_attr_destroy(&attr);
    if (rc != 0 || addr == nullptr) return 0;
    uintptr_t low = reinterpret_cast<uintptr_t>(addr) + guard;
    // The main thread's stack grows on demand up to RLIMIT_STACK; the size
    // reported for it already follows that limit.
    return low;
}

}  // namespace platform
