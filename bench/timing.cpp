#include "timing.h"

#include <time.h>

#include <algorithm>

namespace bench {
namespace {

constexpr double kRunTargetNs = 20e6;
constexpr double kCalibrationFloorNs = 2e6;
constexpr int kRuns = 7;

// The thread's processor time, not the wall clock: on a shared machine the
// time slices given to other processes would otherwise count as ours.
double thread_time_ns() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

double elapsed_ns(const Loop &loop, long iterations) {
    double start = thread_time_ns();
    loop.body(iterations);
    double stop = thread_time_ns();
    loop.after();
    return stop - start;
}

// Grows the count until a run is long enough to time, then scales it to the
// target.  Slow bodies (a recursive fib) end up at a count of 1.
long calibrate(const Loop &loop) {
    elapsed_ns(loop, 1);  // warms caches and one-time set-up
    long iterations = 1;
    double ns = elapsed_ns(loop, iterations);
    while (ns < kCalibrationFloorNs) {
        iterations *= ns < kCalibrationFloorNs / 100 ? 10 : 2;
        ns = elapsed_ns(loop, iterations);
    }
    return std::max(1L, long(double(iterations) * kRunTargetNs / ns));
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

std::vector<double> ns_per_iteration(const std::vector<Loop> &loops) {
    std::vector<long> counts;
    for (const Loop &loop : loops) counts.push_back(calibrate(loop));
    std::vector<std::vector<double>> samples(loops.size());
    for (int run = 0; run < kRuns; ++run)
        for (size_t i = 0; i < loops.size(); ++i)
            samples[i].push_back(elapsed_ns(loops[i], counts[i]) / double(counts[i]));
    std::vector<double> result;
    for (const auto &s : samples) result.push_back(median(s));
    return result;
}

}  // namespace bench
