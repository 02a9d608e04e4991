// The run-error report: what a host sees after a run that recorded an error.
#pragma once

#include <string>

#include "ext/protocol/kernel_binding.h"

namespace modlib {

struct RunError {
    int type = 0;
    const char16_t *name = nullptr;
    int code = 0;
    int formulaType = 0;
    void *hFor = nullptr;
};

// Takes the record (which clears it).
RunError take_run_error(const extproto::KernelExports &kernel);

// The text of the report, empty when no error is recorded.  The formula's
// name and module come from the kernel; the reason for the function's code
// from the description the host filed under the function's name in its
// error-text key type ("MTM_LockKeyErrStr").
std::u16string run_error_report(const extproto::KernelExports &kernel, const RunError &error);

// Prints the report through the host's "TmMessage", when there is an error
// and a message function.
void print_run_error(const extproto::KernelExports &kernel, const RunError &error);

// The host's message function, or null.
using MessageFunction = void(TM_CALL *)(const char16_t *text);
MessageFunction host_message_function(const extproto::KernelExports &kernel);

// The reason for `code` in a description "#1:reason one;#2:reason two;":
// the text after "#<code>:" up to the next ';' or the end; false when the
// description has no entry for the code.
bool find_reason(std::u16string_view description, int code, std::u16string &reason);

}  // namespace modlib
