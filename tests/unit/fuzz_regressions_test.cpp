// Inputs the fuzz targets (fuzz/) stopped on, replayed through the same
// exports, so the normal test run catches a regression without clang.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "formula_support.h"
#include "tamrix/tamrix.h"

namespace {

constexpr int kInterrupt = 6;

using tmx::test::Compiled;

Compiled compile_real(const std::u16string &source, int module = -1) {
    return tmx::test::compile(2, source, module);
}

int take_run_error_type() { return tmx::test::take_run_error().type; }

// Records an interrupt from another thread after a delay, as a host's
// monitor does; joined when the test's scope ends.
class DelayedInterrupt {
public:
    explicit DelayedInterrupt(std::chrono::milliseconds delay)
        : thread_([delay] {
              std::this_thread::sleep_for(delay);
              SetRunErr(kInterrupt, u"monitor", 0, 0, nullptr);
          }) {}
    ~DelayedInterrupt() { thread_.join(); }

private:
    std::thread thread_;
};

class FuzzRegressions : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override {
        take_run_error_type();
        FreeTamrix();
    }
};

// fuzz_compile_eval hung on "f(:static,free)=while(free,1)": deleting a
// formula runs its release pass, which can loop like any run.  The pass ends
// once another thread records a run error, and the formula is gone after.
TEST_F(FuzzRegressions, ReleasePassThatLoopsEndsOnInterrupt) {
    Compiled f = compile_real(u"f(:static,free)=while(free,1)");
    ASSERT_EQ(f.status, 0);
    {
        DelayedInterrupt monitor(std::chrono::milliseconds(20));
        DeleteFor(TM_REAL, f.handle);
    }
    EXPECT_EQ(take_run_error_type(), kInterrupt);
    EXPECT_FALSE(IsFor(u"f", TM_REAL, -1, f.handle, f.data, f.params));
    // The name is free again.
    Compiled again = compile_real(u"f(:static,free)=free");
    EXPECT_EQ(again.status, 0);
    DeleteFor(TM_REAL, again.handle);
}

// fuzz_compile_eval: "gcd(a,b)= which(b==6, a, setc(b, a%b))" wrote into its
// own name (the name is part of the string area setc may write), and deleting
// it then looked for its list under the changed name: the record was freed
// but stayed in its same-name list, read again by FreeTamrix.
TEST_F(FuzzRegressions, FormulaThatRewritesItsNameIsStillUnfiled) {
    Compiled f = compile_real(u"f(x)= setw(1, 65), x");
    ASSERT_EQ(f.status, 0);
    f.reals()[0] = 2;
    EXPECT_EQ(RealCal(f.handle, f.reals()), 2);
    EXPECT_EQ(take_run_error_type(), 0);
    DeleteFor(2, f.handle);

    // The name is free again and the list does not hold the freed record.
    void *found = nullptr;
    EXPECT_FALSE(GetFor(u"f", 2, nullptr, nullptr, &found, nullptr, nullptr));
    Compiled again = compile_real(u"f(x)= x+1");
    EXPECT_EQ(again.status, 0);
    Compiled caller = compile_real(u"f(3)");
    ASSERT_EQ(caller.status, 0);
    EXPECT_EQ(RealCal(caller.handle, caller.reals()), 4);
}

}  // namespace
