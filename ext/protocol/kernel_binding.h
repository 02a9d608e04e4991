// The kernel as an extension library sees it: its exports, bound by name on
// the handle the host passes to TmDll32W.  Nothing links the kernel; a
// library built once works with any kernel that carries the same exports.
#pragma once

#include <initializer_list>
#include <string_view>

#include "tamrix/tamrix.h"

namespace extproto {

// A slot per kernel export, from the kernel's own list (TM_KERNEL_EXPORTS), so
// the slots, their names, the binding loop and the library's version script
// never drift apart.
struct KernelExports {
#define TAMRIX_EXPORT_SLOT(name) decltype(&::name) name = nullptr;
    TM_KERNEL_EXPORTS(TAMRIX_EXPORT_SLOT)
#undef TAMRIX_EXPORT_SLOT
};

// Resolves the exports a library uses (`needed`, by plain name) on the
// kernel's loader handle; the others are bound when present.  Any needed one
// missing (or an unknown name asked for): false, and `out` stays empty, so a
// library can give up before it has registered anything.  On success the
// platform layer's key lookup (for message boxes) is pointed at this kernel.
bool bind_kernel(void *kernel, std::initializer_list<std::string_view> needed,
                 KernelExports &out);

// Forgets the kernel in the platform layer; call at shutdown, before the host
// may free the kernel.
void release_kernel();

}  // namespace extproto
