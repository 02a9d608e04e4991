// The command-line host's interrupter: Ctrl-C and --time-limit record run
// error 6 through SetRunErr, and keep recording it until the host is done.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "interrupt_watch.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<int> g_type{0};
std::atomic<const char16_t *> g_name{nullptr};

void TM_CALL fake_set_run_err(int type, const char16_t *name, int, int, void *) {
    g_type = type;
    g_name = name;
    ++g_calls;
}

// Waits (at most 5 s, to catch a hang rather than to time anything) until
// SetRunErr has been called `count` times.
bool calls_reach(int count) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_calls < count) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class InterrupterTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls = 0;
        g_type = 0;
        g_name = nullptr;
        // A test runner started in the background may ignore SIGINT; the
        // host would then keep ignoring it, which is not what is tested here.
        cli::block_interrupt_signal();
        signal(SIGINT, SIG_DFL);
    }
};

TEST_F(InterrupterTest, TimeLimitRecordsRunErrorSixAndRepeatsIt) {
    cli::Interrupter interrupter(&fake_set_run_err, 0.05);
    ASSERT_TRUE(calls_reach(1));
    EXPECT_EQ(interrupter.cause(), cli::Interrupter::Cause::TimeLimit);
    EXPECT_EQ(g_type, 6);
    EXPECT_EQ(std::u16string(g_name.load()), u"tamrix：运行时间超过了 --time-limit。");
    // Recorded again: a run that clears the record when it starts is still
    // interrupted.
    EXPECT_TRUE(calls_reach(2));
}

TEST_F(InterrupterTest, InterruptSignalRecordsTheUserInterrupt) {
    cli::Interrupter interrupter(&fake_set_run_err, 0);
    ASSERT_EQ(kill(getpid(), SIGINT), 0);
    ASSERT_TRUE(calls_reach(2));
    EXPECT_EQ(interrupter.cause(), cli::Interrupter::Cause::UserInterrupt);
    EXPECT_EQ(g_type, 6);
    EXPECT_EQ(std::u16string(g_name.load()), u"OpenTM：用户中断了Tamrix运行。");
}

TEST_F(InterrupterTest, NothingIsRecordedWithoutSignalOrLimit) {
    {
        cli::Interrupter interrupter(&fake_set_run_err, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        EXPECT_EQ(interrupter.cause(), cli::Interrupter::Cause::None);
    }
    EXPECT_EQ(g_calls, 0);
}

TEST_F(InterrupterTest, WithoutSetRunErrNoThreadRuns) {
    cli::Interrupter interrupter(nullptr, 0.01);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(interrupter.cause(), cli::Interrupter::Cause::None);
}

}  // namespace
