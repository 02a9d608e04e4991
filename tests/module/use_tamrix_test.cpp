// "UseTamrix": the workspace lock between a host's threads.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "module_host.h"

namespace modtest {
namespace {

using namespace std::chrono_literals;

class UseTamrix : public ModuleHost {};

TEST_F(UseTamrix, TryGivesUpAtOnceWhileAnotherThreadHolds) {
    ASSERT_EQ(svc.use(2), 0);
    int fromOther = -9;
    std::thread([&] { fromOther = svc.use(1); }).join();
    EXPECT_EQ(fromOther, 1);
    EXPECT_EQ(svc.use(0), 0);
    std::thread([&] {
        fromOther = svc.use(1);
        svc.use(0);
    }).join();
    EXPECT_EQ(fromOther, 0);
}

TEST_F(UseTamrix, WaitBlocksUntilTheHolderReleases) {
    ASSERT_EQ(svc.use(2), 0);
    std::atomic<bool> acquired{false};
    std::atomic<int> result{-9};
    std::thread waiter([&] {
        result = svc.use(2);
        acquired = true;
        svc.use(0);
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(acquired.load());
    // A waiter counts as a user: a try from here is refused.
    EXPECT_EQ(svc.use(1), 1);
    EXPECT_EQ(svc.use(0), 0);
    waiter.join();
    EXPECT_TRUE(acquired.load());
    EXPECT_EQ(result.load(), 0);
}

TEST_F(UseTamrix, TheOwnerAskingAgainGetsOneAndKeepsItsHold) {
    ASSERT_EQ(svc.use(2), 0);
    EXPECT_EQ(svc.use(2), 1);
    EXPECT_EQ(svc.use(1), 1);
    // A release from a thread that holds nothing is ignored.
    std::thread([&] { EXPECT_EQ(svc.use(0), 0); }).join();
    int fromOther = -9;
    std::thread([&] { fromOther = svc.use(1); }).join();
    EXPECT_EQ(fromOther, 1);  // still held once
    EXPECT_EQ(svc.use(0), 0);
    std::thread([&] {
        fromOther = svc.use(1);
        svc.use(0);
    }).join();
    EXPECT_EQ(fromOther, 0);  // one release freed it
    EXPECT_EQ(svc.use(0), 0);  // nothing held any more: ignored
}

TEST_F(UseTamrix, UserFlagAndUnknownCodes) {
    EXPECT_EQ(svc.use(5), 0);
    EXPECT_EQ(svc.use(4), 0);
    EXPECT_EQ(svc.use(5), 1);
    EXPECT_EQ(svc.use(3), 0);
    EXPECT_EQ(svc.use(5), 0);
    EXPECT_EQ(svc.use(6), 0);
    EXPECT_EQ(svc.use(-1), 0);
    EXPECT_EQ(svc.use(INT32_MIN), 0);
}

TEST_F(UseTamrix, TheQuitByteRefusesEveryAcquisition) {
    static volatile unsigned char quit = 0;
    ASSERT_EQ(module_entry()(kernel_library(), 0, nullptr), 1);
    void *none = nullptr;
    kernel().InsertKey("MTM_Quit", 8, 256, const_cast<unsigned char *>(&quit), nullptr, &none);
    ASSERT_EQ(module_entry()(kernel_library(), 1, nullptr), 1);
    svc = find_services();
    EXPECT_EQ(svc.use(1), 0);
    EXPECT_EQ(svc.use(0), 0);
    quit = 1;
    EXPECT_EQ(svc.use(1), -1);
    EXPECT_EQ(svc.use(2), -1);
    quit = 0;
    EXPECT_EQ(svc.use(2), 0);
    EXPECT_EQ(svc.use(0), 0);
}

TEST_F(UseTamrix, ThreadsTakeTurnsAndNeverShareTheKernel) {
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> runs{0};
    auto worker = [&](int code) {
        for (int k = 0; k < 200; ++k) {
            if (svc.use(code) != 0) continue;
            if (inside.fetch_add(1) != 0) ++overlaps;
            Compiled c = compile(u"1+1");
            if (c.rc == 0) {
                svc.exe(c.list, nullptr, nullptr, nullptr);
                svc.del(c.moduleNo);
                ++runs;
            }
            inside.fetch_sub(1);
            svc.use(0);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(worker, t % 2 ? 1 : 2);
    for (std::thread &t : threads) t.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GE(runs.load(), 400);  // the two waiting threads always get their turn
}

TEST_F(UseTamrix, ShutdownWaitsForAHolderOnAnotherThread) {
    std::atomic<bool> holding{false};
    std::atomic<bool> released{false};
    std::thread holder([&] {
        ASSERT_EQ(svc.use(2), 0);
        holding = true;
        std::this_thread::sleep_for(100ms);
        released = true;
        svc.use(0);
    });
    while (!holding) std::this_thread::yield();
    EXPECT_EQ(module_entry()(kernel_library(), 0, nullptr), 1);
    EXPECT_TRUE(released.load());
    started = false;
    holder.join();
}

TEST_F(UseTamrix, ShutdownFromInsideABracketDoesNotWaitForItself) {
    ASSERT_EQ(svc.use(2), 0);
    EXPECT_EQ(module_entry()(kernel_library(), 0, nullptr), 1);
    started = false;
    // The lock is free for anyone afterwards.
    int fromOther = -9;
    std::thread([&] {
        fromOther = svc.use(1);
        svc.use(0);
    }).join();
    EXPECT_EQ(fromOther, 0);
}

}  // namespace
}  // namespace modtest
