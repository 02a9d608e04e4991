// The one asmjit runtime of the kernel: owns all executable memory.
#pragma once

#if TAMRIX_HAVE_JIT

#include <asmjit/core.h>

namespace tmx {

// The runtime, created on first use; null when it cannot be created.
asmjit::JitRuntime *native_runtime();

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
