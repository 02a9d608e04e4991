// "ComModule": a whole source text compiled into one module.
#pragma once

#include "library.h"
#include "tamrix/compile_errors.h"

namespace modlib {

// Results are TmCompileResult codes.  Besides the kernel's own, the module
// compiler reports: TM_CE_NO_EXPRESSION for a text without a formula,
// TM_CE_MODULE_LOCKED when no module number is free, TM_CE_MODULES_UNAVAILABLE
// for "#USE#" without a host loader, TM_CE_COMMENT_UNCLOSED,
// TM_CE_MODULE_NAME_MISSING, and TM_CE_MODULE_RECURSION for uses nested too
// deep (and, from the host loader, a module that uses itself).

// Nested compiles ("#USE#" loaders compiling the module they load) deeper
// than this are refused, so a chain of uses cannot exhaust the stack.
inline constexpr int kMaxCompileDepth = 64;

// Compiles `source` into a module; see the service's contract.  Every out
// pointer may be null.  Never throws.
int compile_module(Library &lib, const char16_t *source, int *moduleNo, TmModuleNode **list,
                   int *errorStart, int *errorEnd);

}  // namespace modlib
