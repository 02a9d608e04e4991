// The sys:: functions on the slots of their call.  The integer ones take
// 64-bit slots; "sys::call" and "sys::clock" exist for real formulas too.
#pragma once

#include <cstdint>

#include "library.h"

namespace syslib {

int64_t sys_comfor(Library &lib, int64_t *args, TmCallContext *ctx);
int64_t sys_comfors(Library &lib, int64_t *args, TmCallContext *ctx);
int64_t sys_testtmfor(Library &lib, int64_t *args, TmCallContext *ctx);
int64_t sys_shell_execute(Library &lib, int64_t *args, TmCallContext *ctx);

// sys::call with m + 1 arguments; type and handle already read from the
// first two slots, the callee's arguments and result in `slots` from index 2.
int64_t sys_call(Library &lib, int m, int64_t type, uint32_t handle, void *slots,
                 TmCallContext *ctx, int errorType);

}  // namespace syslib
