// The run-error record written from two threads at once, as when a host's
// monitor interrupts (SetRunErr) an evaluation that records an error of its
// own (record_run_error): whatever GetRunErr hands out must be one writer's
// record, never fields of two.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "kernel/run_error.h"
#include "tamrix/tamrix.h"

namespace {

// Enough that, with the record written field by field and no lock, most
// runs on two busy cores showed a mix.
constexpr int kReads = 10000000;

// Every field of a monitor's record differs from every field of an
// evaluator's, so any mix shows in at least one of them.
int g_monitor_formula, g_evaluator_formula;
constexpr char16_t kMonitorName[] = u"monitor";
constexpr char16_t kEvaluatorName[] = u"evaluator";

struct Taken {
    int type = 0;
    const char16_t *name = nullptr;
    int code = 0, formula_type = 0;
    void *formula = nullptr;
};

// The monitor writes codes 1, 2, ...; the evaluator -1, -2, ...
::testing::AssertionResult whole(const Taken &t) {
    const bool none = t.type == 0 && !t.name && t.code == 0 && t.formula_type == 0 && !t.formula;
    const bool monitor = t.type == 6 && t.name == kMonitorName && t.code > 0 &&
                         t.formula_type == 2 && t.formula == &g_monitor_formula;
    const bool evaluator = t.type == 1 && t.name == kEvaluatorName && t.code < 0 &&
                           t.formula_type == 3 && t.formula == &g_evaluator_formula;
    if (none || monitor || evaluator) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "mixed record: type " << t.type << ", name "
           << (t.name == kMonitorName ? "monitor" : t.name == kEvaluatorName ? "evaluator" : "?")
           << ", code " << t.code << ", formula type " << t.formula_type;
}

// The writers write until the reader has taken kReads records; the reader
// starts once both are under way.
TEST(RunErrorThreads, RecordsAreNeverMixed) {
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    std::atomic<bool> done{false};
    std::atomic<int> started{0};
    std::thread monitor([&] {
        ++started;
        for (int k = 1; !done; k = k == INT32_MAX ? 1 : k + 1)
            SetRunErr(6, kMonitorName, k, 2, &g_monitor_formula);
    });
    std::thread evaluator([&] {
        ++started;
        for (int k = 1; !done; k = k == INT32_MAX ? 1 : k + 1)
            tmx::record_run_error(1, kEvaluatorName, -k, 3, &g_evaluator_formula);
    });
    while (started < 2) std::this_thread::yield();
    int mixed = 0;
    Taken first_mix;
    for (int n = 0; n < kReads; ++n) {
        Taken t;
        GetRunErr(&t.type, &t.name, &t.code, &t.formula_type, &t.formula);
        if (!whole(t) && mixed++ == 0) first_mix = t;
    }
    done = true;
    monitor.join();
    evaluator.join();
    EXPECT_EQ(mixed, 0) << whole(first_mix).message();
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
