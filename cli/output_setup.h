// The process-wide settings of the standard streams and the locale that
// make tamrix a well-behaved filter and independent of the user's locale.
#pragma once

namespace cli {

// Call first in main, before any thread or library:
// - a write to a closed pipe fails with EPIPE instead of killing the
//   process, so the output sink sees it and stops the run cleanly;
// - output to a pipe or file is fully buffered in large blocks (the sink
//   flushes after each run and before anything goes to standard error);
// - the character type comes from the environment, so line editing handles
//   the terminal's multibyte text, falling back to C.UTF-8 when the
//   environment's is not UTF-8: tamrix reads and writes UTF-8 whatever the
//   locale.  Number formats (LC_NUMERIC) stay "C": 1.5 is never 1,5.
void prepare_standard_streams();

// The exit status for a write failure of standard output with errno `error`:
// 141 for a reader that went away (what a shell shows for a program ended by
// SIGPIPE), else 74 after a diagnostic.
int output_failure_status(int error);

}  // namespace cli
