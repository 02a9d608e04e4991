#include "run_monitor.h"

#include <chrono>

namespace ide {

MonitorLogic::Action MonitorLogic::check(int try_result, bool watch_flag, unsigned successes) {
    if (try_result == 0) {
        busy_ = 0;
        return shown_ ? Action::Close : Action::None;
    }
    if (++busy_ <= 2) return Action::None;
    Action action = Action::None;
    if (watch_flag && successes == snapshot_ && !shown_) {
        shown_ = true;
        action = Action::Show;
    }
    snapshot_ = successes;
    busy_ = 0;
    return action;
}

void RunMonitor::start(TmUseTamrix use_tamrix) {
    stop();
    if (!use_tamrix) return;
    use_tamrix_ = use_tamrix;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
    }
    watch_ = std::thread([this] { watch_loop(); });
    monitor_ = std::thread([this] { monitor_loop(); });
}

void RunMonitor::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (monitor_.joinable()) monitor_.join();
    if (watch_.joinable()) watch_.join();
}

bool RunMonitor::wait_interval() {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(logic_.interval()), [this] { return stop_; });
    return !stop_;
}

void RunMonitor::watch_loop() {
    while (wait_interval()) {
        // Blocks while a computation holds the workspace.
        if (use_tamrix_(2) == 0) {
            ++successes_;
            use_tamrix_(0);
        }
    }
}

void RunMonitor::monitor_loop() {
    while (wait_interval()) {
        int result = use_tamrix_(1);
        if (result == 0) use_tamrix_(0);
        bool watch_flag = result != 0 && use_tamrix_(5) != 0;
        MonitorLogic::Action action;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            action = logic_.check(result, watch_flag, successes_.load());
        }
        if (action == MonitorLogic::Action::Show && callbacks_.show) callbacks_.show();
        if (action == MonitorLogic::Action::Close) {
            if (callbacks_.close) callbacks_.close();
            closed();
        }
    }
    // A window still shown goes with the monitor.
    bool shown;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shown = logic_.shown();
    }
    if (shown) {
        if (callbacks_.close) callbacks_.close();
        closed();
    }
}

void RunMonitor::interrupt() {
    if (callbacks_.interrupt) callbacks_.interrupt();
    std::lock_guard<std::mutex> lock(mutex_);
    logic_.interrupted();
}

void RunMonitor::closed() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (logic_.shown()) logic_.closed();
}

int RunMonitor::interval() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return logic_.interval();
}

bool RunMonitor::shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return logic_.shown();
}

}  // namespace ide
