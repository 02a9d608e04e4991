// Ctrl-C and --time-limit for a terminal user: the command-line counterpart
// of the desktop editor's run monitor.  Both end a run the way that monitor
// does, by recording run error 6, which every loop and nested call of the
// kernel polls; the module library then prints its run-error report.
//
// SIGINT is taken by a thread of its own (sigtimedwait), never by a signal
// handler, so the kernel is only ever called from ordinary thread context.
// Once triggered, the error is recorded again every 100 ms until the process
// is done: "ExeModule" clears the record when it starts, and the release pass
// of a module deleted at exit can loop as well.  A second Ctrl-C ends the
// process at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tamrix/tamrix.h"

namespace cli {

// Blocks SIGINT in the calling thread and every thread it starts later; call
// it first thing in main, before any library is loaded.
void block_interrupt_signal();

class Interrupter {
public:
    enum class Cause { None, UserInterrupt, TimeLimit };

    // set_run_err: the kernel's SetRunErr.  time_limit_seconds <= 0: none.
    Interrupter(decltype(&::SetRunErr) set_run_err, double time_limit_seconds);
    Interrupter(const Interrupter &) = delete;
    Interrupter &operator=(const Interrupter &) = delete;
    ~Interrupter();

    Cause cause() const { return cause_.load(); }

    // For the interactive prompt.  While a wake descriptor is set (the
    // prompt waits for input), Ctrl-C writes one byte to it instead of
    // interrupting, so the prompt can drop the line being typed; -1 goes
    // back to interrupting runs.
    void set_idle_wake(int fd) { idle_wake_fd_ = fd; }
    // Forgets a finished interrupt, so that the next entry runs again and a
    // later Ctrl-C counts as the first one.
    void rearm();

private:
    void watch(double time_limit_seconds);
    void record(Cause cause);

    decltype(&::SetRunErr) set_run_err_;
    std::atomic<Cause> cause_{Cause::None};
    std::atomic<bool> done_{false};
    std::atomic<int> idle_wake_fd_{-1};
    std::atomic<int> interrupts_{0};
    std::thread thread_;
};

}  // namespace cli
