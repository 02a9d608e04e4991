// Runs on a thread of their own, so the window stays responsive while a
// module runs: jobs run one after another, each taking and releasing the
// workspace on this thread (Engine does both inside one call).  A job that
// compiles hands the text in: the code window is read on the window's
// thread.  While busy() the window layer keeps further compute commands
// back, since the user-interface thread would otherwise wait for the
// workspace in UseTamrix(2); the run monitor's Esc still interrupts.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ide {

class RunWorker {
public:
    RunWorker();
    RunWorker(const RunWorker &) = delete;
    RunWorker &operator=(const RunWorker &) = delete;
    // Finishes the jobs already posted, then ends the thread.
    ~RunWorker();

    // `finished` runs on the worker's thread after the job, once busy() is
    // already false: a window told of the end from there can start the next
    // run at once instead of finding the worker still marked busy.
    void post(std::function<void()> job, std::function<void()> finished = {});
    bool busy() const;
    void wait_idle();
    // Whether the caller is the worker's thread (a job of this worker).
    bool on_worker_thread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void loop();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    struct Job {
        std::function<void()> run;
        std::function<void()> finished;
    };
    std::deque<Job> jobs_;
    bool running_job_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace ide
