// The functions this host publishes as keys or hands to "ExeModule".  The
// libraries call them without any context argument, so they reach the
// host's state through one process-wide record.
#pragma once

#include <cstdint>
#include <string>

#include "output.h"
#include "tamrix/tamrix.h"
#include "tamrix/tamrix_ext.h"

namespace cli {

class ModuleLoader;

struct HostState {
    OutputSink *out = nullptr;
    ModuleLoader *loader = nullptr;
    // Set when a run-error report goes through "TmMessage": the module
    // library prints one exactly when a run error was pending at the end of
    // a run (or when a program reports one itself with "err").
    bool run_error_reported = false;
    // The kernel's run-error exports, for stopping a run from the host.
    decltype(&::TestRunErr) test_run_err = nullptr;
    decltype(&::SetRunErr) set_run_err = nullptr;
};

HostState &host_state();

// Ends the running program once its output cannot be written: records run
// error 6 unless one is pending, which every loop and nested call polls.
// Repeated for each later result, as a program may clear the record itself.
void stop_run_for_lost_output();

// Writes a diagnostic to standard error after ending the current output line,
// so the two streams interleave readably on a terminal.
void print_diagnostic(const std::string &text);

extern "C" {
// "TmMessage": the text to standard output, UTF-8, "\r\n" as "\n".
void TM_CALL host_message(const char16_t *text);
// "MTM_MessageBox": "caption: text" on standard error; answers with the
// style's default button (OK or Yes).
int TM_CALL host_message_box(const char16_t *text, const char16_t *caption, int style);
// "MTM_LoadModule": compiles the module a "#USE#" statement names.
int TM_CALL host_load_module(const char16_t *name);
// Result callbacks of "ExeModule".
void TM_CALL host_output_int(int64_t value);
void TM_CALL host_output_real(double value);
void TM_CALL host_output_complex(double re, double im);
}

// The button a message box of the given style answers by default.
int default_message_box_answer(int style);

}  // namespace cli
