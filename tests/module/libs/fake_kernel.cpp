// A "kernel" that lacks most exports: libraries must refuse to start on it
// before they register anything.
#include <atomic>

namespace {
std::atomic<int> g_calls{0};
}

extern "C" __attribute__((visibility("default"))) void *SearchKey(const void *, int, int) {
    ++g_calls;
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) int InsertKey(const void *, int, int, void *,
                                                                void (*)(void *), void **) {
    ++g_calls;
    return 0;
}

extern "C" __attribute__((visibility("default"))) int FakeKernelCalls() { return g_calls.load(); }
