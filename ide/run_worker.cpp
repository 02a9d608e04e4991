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

void RunWorker::post(std::function<void()> job, std::function<void()> finished) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(Job{std::move(job), std::move(finished)});
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
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_job_ = true;
        lock.unlock();
        job.run();
        lock.lock();
        running_job_ = false;
        changed_.notify_all();
        if (job.finished) {
            lock.unlock();
            job.finished();
            lock.lock();
        }
    }
}

}  // namespace ide
