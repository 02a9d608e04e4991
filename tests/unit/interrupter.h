// Interrupting an evaluation from a second thread, as a host's monitor does:
// the script under test calls the external function "running" from inside
// its loop; a watching thread then records the interrupt with SetRunErr.
// Shared by the unit tests (kernel linked in) and the module library's tests
// (kernel loaded at run time), so SetRunErr is passed in.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "tamrix/tamrix.h"

namespace tmx::limits_test {

// The interrupt: the type a host's monitor records.
inline constexpr char16_t kInterruptName[] = u"interrupted by the test";
inline constexpr int kInterruptType = 6;

// Set by "running": the loop under test has started.
inline std::atomic<bool> g_loop_running{false};

inline int64_t TM_CALL running_int(int, int64_t *, TmCallContext *) {
    g_loop_running.store(true);
    return 0;
}
inline double TM_CALL running_real(int, double *, TmCallContext *) {
    g_loop_running.store(true);
    return 0;
}
inline void TM_CALL running_complex(TmComplex *result, int, TmComplex *, TmCallContext *) {
    g_loop_running.store(true);
    *result = {0, 0};
}

using SetRunErrFunction = void(TM_CALL *)(int, const char16_t *, int, int, void *);

// While alive, waits until the script calls "running" (10 s at most), lets
// it run 20 ms longer, then records the interrupt.  An evaluation that has
// not returned 10 s after the interrupt is a hang: the process is ended, as
// the hung thread cannot be stopped any other way.  No interrupt is recorded
// when the evaluation ends by itself first.
class InterruptingThread {
  public:
    explicit InterruptingThread(SetRunErrFunction set_run_err) : set_run_err_(set_run_err) {
        g_loop_running.store(false);
        thread_ = std::thread([this] { watch(); });
    }
    ~InterruptingThread() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    InterruptingThread(const InterruptingThread &) = delete;
    InterruptingThread &operator=(const InterruptingThread &) = delete;

    // Whether the script's loop had started when the interrupt was recorded.
    bool interrupted_a_running_loop() const { return saw_loop_.load(); }

  private:
    void watch() {
        using namespace std::chrono_literals;
        std::unique_lock<std::mutex> lock(mutex_);
        for (int i = 0; i < 10000 && !done_ && !g_loop_running.load(); ++i)
            wake_.wait_for(lock, 1ms);
        if (done_) return;
        saw_loop_ = g_loop_running.load();
        if (wake_.wait_for(lock, 20ms, [this] { return done_; })) return;
        set_run_err_(kInterruptType, kInterruptName, 0, 0, nullptr);
        if (wake_.wait_for(lock, 10s, [this] { return done_; })) return;
        std::fprintf(stderr, "evaluation still running 10 s after the interrupt\n");
        std::abort();
    }

    SetRunErrFunction set_run_err_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> saw_loop_{false};
};

}  // namespace tmx::limits_test
