// What the numeric registered built-ins share: reporting a run error the way
// every built-in does, and reading a number as the word index of a string.
#pragma once

#include <cstdint>

#include "../eval/conversions.h"
#include "../run_error.h"
#include "tamrix/tamrix.h"

namespace tmx {

// Records a built-in's error (type 1, 2, 3 by the function's number type)
// with the calling formula from the context, unless an error is pending.
inline void report_builtin_error(int type, const char16_t *name, int code,
                                 const TmCallContext *ctx) {
    record_run_error(type, name, code, ctx ? ctx->type : 0, ctx ? ctx->hFor : nullptr);
}

// A string literal reaches a real or complex formula as a double.  NaN,
// infinities and fractions of no index map to a negative index, which
// string_argument refuses.
inline int64_t string_index_of(double x) {
    return x == double(trunc_to_i64(x)) ? trunc_to_i64(x) : -1;
}

}  // namespace tmx
