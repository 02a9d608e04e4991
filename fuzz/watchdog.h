// Ends runaway evaluations the way a host's monitor thread does: while armed,
// it records an interrupt run error every few milliseconds from its own
// thread.  The kernel ends every loop once an error is pending, and a module
// run may start the next formula after one was interrupted, so it keeps
// firing until disarmed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace fuzz {

// The run-error type a host records to interrupt a long run.
inline constexpr int kInterruptRunError = 6;

class Watchdog {
public:
    explicit Watchdog(std::chrono::milliseconds period);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    void arm();
    // After this returns the watchdog records nothing until armed again, so
    // the caller may read and clear the run-error record.
    void disarm();

private:
    void run();

    std::chrono::milliseconds period_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool quit_ = false;
    std::thread thread_;
};

// Arms the watchdog for one scope.
class WatchdogScope {
public:
    explicit WatchdogScope(Watchdog &dog) : dog_(dog) { dog_.arm(); }
    ~WatchdogScope() { dog_.disarm(); }
    WatchdogScope(const WatchdogScope &) = delete;
    WatchdogScope &operator=(const WatchdogScope &) = delete;

private:
    Watchdog &dog_;
};

}  // namespace fuzz
