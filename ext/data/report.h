// Run-error reports of the script functions: the first error of an
// evaluation wins, and a message never exceeds 259 characters.
#pragma once

#include <initializer_list>
#include <string_view>

#include "tamrix/tamrix.h"

namespace tmdata {

// Records prefix + message + suffix (each extra text appended while it fits)
// as a run error of `errorType` for the calling formula, unless an error is
// pending.  The text lives in the library's buffer until the next report.
void report_error(TmCallContext *ctx, int errorType, std::u16string_view prefix,
                  std::u16string_view message, std::u16string_view suffix = {},
                  std::initializer_list<std::u16string_view> extras = {});

// The common case: error type 1, empty prefix.
inline void report(TmCallContext *ctx, std::u16string_view message) {
    report_error(ctx, 1, {}, message);
}

// True while a run error is pending.
bool error_pending();

}  // namespace tmdata
