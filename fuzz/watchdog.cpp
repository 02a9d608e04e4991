#include "watchdog.h"

#include "tamrix/tamrix.h"

namespace fuzz {

Watchdog::Watchdog(std::chrono::milliseconds period)
    : period_(period), thread_([this] { run(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void Watchdog::arm() {
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
    }
    wake_.notify_one();
}

void Watchdog::disarm() {
    std::lock_guard lock(mutex_);
    armed_ = false;
}

// The error is recorded with the mutex held, so disarm() cannot return while
// a SetRunErr is still under way.
void Watchdog::run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!armed_) {
            wake_.wait(lock, [this] { return armed_ || quit_; });
            continue;
        }
        // Each arming gets a full period before the first interrupt.
        if (wake_.wait_for(lock, period_, [this] { return !armed_ || quit_; })) continue;
        SetRunErr(kInterruptRunError, u"watchdog", 0, 0, nullptr);
    }
}

}  // namespace fuzz
