// The run monitor: notices a run that has held the workspace for a while
// and offers the user to interrupt it.
//
// Two threads.  The monitor thread tries the workspace (UseTamrix 1) every
// interval; the watch thread takes it waiting (UseTamrix 2) every interval
// and counts its successes.  Three busy checks in a row while the watch flag
// is set (output does not count as computing) and without any success of
// the watch thread mean a long computation: the host is asked to show the
// monitor window.  A free workspace closes it again.  The window itself is
// the host's; it answers with interrupt() or closed().
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "tamrix/tamrix_ext.h"

namespace ide {

// The decisions alone, stepped by the monitor thread (and by tests).
class MonitorLogic {
public:
    enum class Action { None, Show, Close };

    static constexpr int kInitialInterval = 1000;

    // One check: try_result is what UseTamrix(1) answered (the driver has
    // released a successful take already), watch_flag UseTamrix(5), and
    // successes the watch thread's counter.
    Action check(int try_result, bool watch_flag, unsigned successes);
    // The user confirmed the interrupt: the interval starts over.
    void interrupted() { interval_ = kInitialInterval; }
    // The window went away (closed by the logic, the user or an interrupt):
    // each dismissal lengthens the interval by half.
    void closed() {
        shown_ = false;
        interval_ = interval_ * 3 / 2;
    }

    int interval() const { return interval_; }
    bool shown() const { return shown_; }
    int busy_count() const { return busy_; }

private:
    int interval_ = kInitialInterval;
    bool shown_ = false;
    int busy_ = 0;
    unsigned snapshot_ = 0;
};

class RunMonitor {
public:
    struct Callbacks {
        // Called from the monitor thread; the host shows or closes its
        // window on its own thread.
        std::function<void()> show;
        std::function<void()> close;
        // Records the interrupt as run error 6.
        std::function<void()> interrupt;
    };

    explicit RunMonitor(Callbacks callbacks) : callbacks_(std::move(callbacks)) {}
    RunMonitor(const RunMonitor &) = delete;
    RunMonitor &operator=(const RunMonitor &) = delete;
    ~RunMonitor() { stop(); }

    // Starts both threads on a UseTamrix service; stop() ends them.
    void start(TmUseTamrix use_tamrix);
    void stop();
    bool running() const { return monitor_.joinable(); }

    // The monitor window's answers: the user confirmed Esc (interrupts the
    // run and closes the window), or the window went away.
    void interrupt();
    void closed();

    int interval() const;
    bool shown() const;
    unsigned successes() const { return successes_.load(); }

private:
    void monitor_loop();
    void watch_loop();
    // Waits one interval; false when stopping.
    bool wait_interval();

    Callbacks callbacks_;
    TmUseTamrix use_tamrix_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    MonitorLogic logic_;
    std::atomic<unsigned> successes_{0};
    std::thread monitor_;
    std::thread watch_;
};

}  // namespace ide
