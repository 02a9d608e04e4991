#include "interrupt_watch.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace cli {

namespace {

constexpr long kRepeatNanoseconds = 100'000'000;  // 100 ms

const char16_t kUserInterrupt[] = u"OpenTM：用户中断了Tamrix运行。";
const char16_t kTimeLimit[] = u"tamrix：运行时间超过了 --time-limit。";

sigset_t interrupt_set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void block_interrupt_signal() {
    sigset_t set = interrupt_set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

Interrupter::Interrupter(decltype(&::SetRunErr) set_run_err, double time_limit_seconds)
    : set_run_err_(set_run_err) {
    if (!set_run_err_) return;
    // The watch thread starts with SIGINT blocked whatever the caller's mask,
    // so the signal that wakes it at the end can never reach a default action.
    sigset_t set = interrupt_set(), previous;
    pthread_sigmask(SIG_BLOCK, &set, &previous);
    thread_ = std::thread([this, time_limit_seconds] { watch(time_limit_seconds); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// A SIGINT sent to the watch thread itself ends its wait at once (it sees
// done_ first), so a short run does not wait out the 100 ms poll at exit.
Interrupter::~Interrupter() {
    done_ = true;
    if (!thread_.joinable()) return;
    pthread_kill(thread_.native_handle(), SIGINT);
    thread_.join();
}

void Interrupter::rearm() {
    cause_ = Cause::None;
    interrupts_ = 0;
}

void Interrupter::record(Cause cause) {
    Cause none = Cause::None;
    cause_.compare_exchange_strong(none, cause);
    set_run_err_(6, cause_.load() == Cause::TimeLimit ? kTimeLimit : kUserInterrupt, 0, 0,
                 nullptr);
}

void Interrupter::watch(double time_limit_seconds) {
    using Clock = std::chrono::steady_clock;
    const bool limited = time_limit_seconds > 0;
    const auto limit = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(limited ? time_limit_seconds : 0));
    Clock::time_point deadline = limited ? Clock::now() + limit : Clock::time_point::max();
    const sigset_t set = interrupt_set();
    while (!done_) {
        // Wake at least every 100 ms: to notice the end, to repeat a
        // triggered interrupt, and to check the deadline.
        timespec wait{0, kRepeatNanoseconds};
        int signal = sigtimedwait(&set, nullptr, &wait);
        if (done_) break;
        // Time spent waiting at the prompt does not count: each entry gets
        // the whole limit.
        if (limited && idle_wake_fd_ >= 0) deadline = Clock::now() + limit;
        if (signal == SIGINT && idle_wake_fd_ >= 0) {
            const char byte = 'i';
            // A full pipe already holds a wake-up: the byte is not needed.
            [[maybe_unused]] ssize_t written = ::write(idle_wake_fd_, &byte, 1);
            continue;
        }
        if (signal == SIGINT) {
            if (++interrupts_ > 1) {
                std::fputs("\ntamrix: interrupted\n", stderr);
                _exit(130);
            }
            std::fputs("\ntamrix: interrupting the run (Ctrl-C again to quit at once)\n",
                       stderr);
            record(Cause::UserInterrupt);
            continue;
        }
        if (signal < 0 && errno != EAGAIN && errno != EINTR) break;
        if (cause_.load() != Cause::None) {
            record(cause_.load());
        } else if (limited && Clock::now() >= deadline) {
            record(Cause::TimeLimit);
        }
    }
}

}  // namespace cli
