#include "run_worker.h"

namespace ide {

RunWorker::RunWorker() : thread_([this] { loop(); }) {}

RunWorker::~RunWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void RunWorker::post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool RunWorker::busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_job_ || !jobs_.empty();
}

void RunWorker::wait_idle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !running_job_ && jobs_.empty(); });
}

void RunWorker::loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping with nothing left
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        running_job_ = true;
        lock.unlock();
        job();
        lock.lock();
        running_job_ = false;
        changed_.notify_all();
    }
}

}  // namespace ide
