// "ComModule": a whole source text compiled into one module.
#pragma once

#include "library.h"

namespace modlib {

// Result codes besides 0 and the kernel's compile codes.
enum ModuleCompileCode : int {
    kModuleOk = 0,
    kModuleNoMemory = 1,
    kModuleNoFormula = 3,
    kModuleNoNumber = -2,
    kModuleNoLoader = -3,
    kModuleBadComment = -4,
    kModuleUseWithoutName = -5,
    kModuleUseTooDeep = -7,
};

// Nested compiles ("#USE#" loaders compiling the module they load) deeper
// than this are refused, so a chain of uses cannot exhaust the stack.
inline constexpr int kMaxCompileDepth = 64;

// Compiles `source` into a module; see the service's contract.  Every out
// pointer may be null.  Never throws.
int compile_module(Library &lib, const char16_t *source, int *moduleNo, TmModuleNode **list,
                   int *errorStart, int *errorEnd);

}  // namespace modlib
