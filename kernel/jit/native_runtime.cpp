// Executable memory for native code.
//
// Code is never writable and executable in the same mapping: the runtime
// maps its memory twice, a writable view the code is copied through and an
// executable view it runs from (W^X), whether or not the system enforces it.
#if TAMRIX_HAVE_JIT

#include "native_runtime.h"

#include <new>

#include "native.h"

namespace tmx {

namespace {

asmjit::JitRuntime *g_runtime = nullptr;

}  // namespace

asmjit::JitRuntime *native_runtime() {
    if (g_runtime) return g_runtime;
    asmjit::JitAllocator::CreateParams params;
    params.options = asmjit::JitAllocatorOptions::kUseDualMapping;
    g_runtime = new (std::nothrow) asmjit::JitRuntime(&params);
    return g_runtime;
}

void release_native(const void *code) {
    if (g_runtime && code) g_runtime->release(code);
}

size_t native_code_bytes() {
    return g_runtime ? g_runtime->allocator()->statistics().usedSize() : 0;
}

void shutdown_native() {
    delete g_runtime;
    g_runtime = nullptr;
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
