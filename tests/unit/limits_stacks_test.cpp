// The shared value stacks' limits and the native-stack guard: stack-size
// functions with absurd arguments, the memory limit of each stack, calls
// from inside a recursion, and recursion that ends with "StackOverFlow"
// (never a crash) at any stack size, on any thread, in every type and across
// types.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "kernel/eval/value_stacks.h"
#include "kernel/limits.h"
#include "limits_support.h"

namespace tmx::limits_test {
namespace {

constexpr const char16_t *kStackFunction[] = {nullptr, u"SetIntStackMax", u"SetRealStackMax",
                                               u"SetComplexStackMax"};

int32_t stack_limit(int type) {
    switch (type) {
    case 1: return g_int_stack.limit;
    case 2: return g_real_stack.limit;
    default: return g_complex_stack.limit;
    }
}

int32_t stack_top(int type) {
    switch (type) {
    case 1: return g_int_stack.top;
    case 2: return g_real_stack.top;
    default: return g_complex_stack.top;
    }
}

int64_t max_slots(int type) { return kMaxValueStackBytes / (type == 3 ? 16 : 8); }

std::u16string decimal(int64_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

class StackLimits : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override {
        take_run_error();
        FreeTamrix();
    }

    // Calls the type's stack-size function with `argument` (source text of
    // an expression of that type); returns its result.
    static double set_stack(int type, const std::u16string &argument) {
        return run(type, std::u16string(kStackFunction[type]) + u"(" + argument + u")");
    }
};

TEST_F(StackLimits, ArgumentsBelowTheMinimumGiveTenSlots) {
    const char16_t *small[] = {u"-1", u"0", u"3", u"9"};
    // NaN and infinities exist in real and complex formulas only.
    const char16_t *non_finite[] = {u"-1e300", u"-(1e300*1e300)", u"0/0", u"(-0)/0"};
    for (int type = 1; type <= 3; ++type) {
        std::vector<const char16_t *> args(std::begin(small), std::end(small));
        if (type != 1) args.insert(args.end(), std::begin(non_finite), std::end(non_finite));
        for (const char16_t *arg : args) {
            EXPECT_EQ(set_stack(type, arg), 10) << type;
            EXPECT_EQ(stack_limit(type), 10);
            EXPECT_EQ(take_run_error().type, 0);
        }
    }
    // The integer function takes the low 32 bits: INT64_MIN has none set,
    // 2^32 + 20 leaves 20, and -2^31 is negative.
    EXPECT_EQ(set_stack(1, u"-9223372036854775807-1"), 10);
    EXPECT_EQ(set_stack(1, u"4294967316"), 20);
    EXPECT_EQ(set_stack(1, u"-2147483648"), 10);
    // Real and complex arguments are truncated toward zero.
    EXPECT_EQ(set_stack(2, u"99.99"), 99);
    EXPECT_EQ(set_stack(3, u"99.99+1e300i"), 99);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(StackLimits, RequestsBeyondTheMemoryLimitFailLikeAnAllocation) {
    const char16_t *huge[] = {u"1e9", u"1e300", u"1e300*1e300", u"4294967295.0*8"};
    for (int type = 2; type <= 3; ++type) {
        for (const char16_t *arg : huge) {
            ASSERT_EQ(set_stack(type, u"100"), 100);
            EXPECT_EQ(set_stack(type, arg), 0) << type;
            RunError e = take_run_error();
            EXPECT_EQ(e.type, type);
            EXPECT_EQ(e.name_text(), kStackFunction[type]);
            EXPECT_EQ(e.code, 1);
            // The old stack is gone: no stack at all, as after a failed
            // allocation.
            EXPECT_EQ(stack_limit(type), 0);
        }
    }
    // The largest integer request: the low 32 bits as high as they go.
    for (const char16_t *arg : {u"2147483647", u"9223372036854775807-2147483648"}) {
        EXPECT_EQ(set_stack(1, arg), 0);
        RunError e = take_run_error();
        EXPECT_EQ(e.type, 1);
        EXPECT_EQ(e.name_text(), u"SetIntStackMax");
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(stack_limit(1), 0);
    }
    // Without a stack every nested activation overflows at once.
    ASSERT_EQ(compile(2, u"d(n)=which(n<=0, 0, d(n-1)+1)").status, 0);
    EXPECT_EQ(run(2, u"d(5)"), 1);
    EXPECT_EQ(take_run_error().name_text(), u"StackOverFlow");
}

TEST_F(StackLimits, TheLimitItselfIsAccepted) {
    // The stack is not touched until frames use it, so this costs address
    // space only.
    for (int type = 1; type <= 3; ++type) {
        EXPECT_EQ(set_stack(type, decimal(max_slots(type))), double(max_slots(type))) << type;
        EXPECT_EQ(stack_limit(type), max_slots(type));
        EXPECT_EQ(take_run_error().type, 0);
        EXPECT_EQ(set_stack(type, decimal(max_slots(type) + 1)), 0) << type;
        EXPECT_EQ(take_run_error().code, 1);
    }
}

TEST_F(StackLimits, ResizingFromInsideARecursionChangesNothing) {
    for (int type = 1; type <= 3; ++type) {
        ASSERT_EQ(set_stack(type, u"1000"), 1000);
        const std::u16string src = u"r(n)=which(n<=0, " + std::u16string(kStackFunction[type]) +
                                   u"(50), r(n-1))";
        ASSERT_EQ(compile(type, src, -type).status, 0);
        ASSERT_EQ(compile(type, u"r(0)", -type).status, 0);
        // At depth 0 nothing is nested yet: the resize applies.
        EXPECT_EQ(evaluate(type, compile(type, u"r(0)", -type)), 50);
        EXPECT_EQ(stack_limit(type), 50);
        // Three levels down it refuses with code 2 and keeps the stack.
        EXPECT_EQ(evaluate(type, compile(type, u"r(3)", -type)), 0);
        RunError e = take_run_error();
        EXPECT_EQ(e.type, type);
        EXPECT_EQ(e.name_text(), kStackFunction[type]);
        EXPECT_EQ(e.code, 2);
        EXPECT_EQ(e.formula_type, type);
        EXPECT_EQ(stack_limit(type), 50);
        EXPECT_EQ(stack_top(type), 1);
    }
}

// Recursion that would go deeper than any stack allows ends with
// "StackOverFlow"; `levels` receives how deep it got.
void expect_overflow_ends_cleanly(int type, const std::string &what, double *levels = nullptr) {
    Compiled top = compile(type, u"down(100000000)", -type);
    ASSERT_EQ(top.status, 0);
    const double r = evaluate(type, top);
    RunError e = take_run_error();
    EXPECT_EQ(e.name_text(), u"StackOverFlow") << what;
    EXPECT_EQ(e.code, 0) << what;
    // The failing level returned 0 and every level above added its 1.
    EXPECT_GT(r, 10) << what;
    EXPECT_LT(r, 100000000) << what;
    EXPECT_EQ(stack_top(type), 1) << what;
    if (levels) *levels = r;
}

TEST_F(StackLimits, RecursionEndsWithStackOverflowAtEveryStackSize) {
    for (int type = 1; type <= 3; ++type) {
        ASSERT_EQ(compile(type, u"down(n)=which(n<=0, 0, down(n-1)+1)", -type).status, 0);
        // Smallest shared stack: the shared stack runs out first.
        ASSERT_EQ(set_stack(type, u"10"), 10);
        Compiled top = compile(type, u"down(100)", -type);
        EXPECT_LT(evaluate(type, top), 10);
        EXPECT_EQ(take_run_error().name_text(), u"StackOverFlow");
        // Huge shared stack: the native stack guard stops it, on the main
        // thread and on a thread with a small stack.
        ASSERT_EQ(set_stack(type, decimal(max_slots(type))), double(max_slots(type)));
        double main_levels = 0, thread_levels = 0;
        expect_overflow_ends_cleanly(type, "main thread, type " + std::to_string(type),
                                     &main_levels);
        run_on_thread(256 * 1024, [&] {
            expect_overflow_ends_cleanly(type, "small thread, type " + std::to_string(type),
                                         &thread_levels);
        });
        EXPECT_LT(thread_levels, main_levels) << type;
        // And the formula still runs normally afterwards.
        EXPECT_EQ(evaluate(type, compile(type, u"down(100)", -type)), 100);
        EXPECT_EQ(take_run_error().type, 0);
    }
}

TEST_F(StackLimits, RecursionAcrossTypesEndsWithStackOverflow) {
    // real r -> integer k -> complex c -> real s -> "sum" -> real r, without
    // end: every evaluator and an external function on every cycle.
    ASSERT_EQ(compile(2, u"s(n)=sum(\"r\", n, n, 1)").status, 0);
    ASSERT_EQ(compile(3, u"c(z)=s(z)").status, 0);
    ASSERT_EQ(compile(1, u"k(n)=rtoi(c(itor(n), 0))").status, 0);
    ASSERT_EQ(compile(2, u"r(n)=itor(k(rtoi(n+1)))+1").status, 0);
    for (const char16_t *size : {u"10", u"1000", u"100000000"}) {
        ASSERT_GT(run(1, u"SetIntStackMax(" + std::u16string(size) + u")"), 0);
        ASSERT_GT(run(2, u"SetRealStackMax(" + std::u16string(size) + u")"), 0);
        ASSERT_GT(run(3, u"SetComplexStackMax(" + std::u16string(size) + u")"), 0);
        for (size_t thread_stack : {size_t(0), size_t(256 * 1024)}) {
            auto body = [] {
                Compiled top = compile(2, u"r(0)");
                ASSERT_EQ(top.status, 0);
                evaluate(2, top);
                RunError e = take_run_error();
                EXPECT_EQ(e.name_text(), u"StackOverFlow");
                EXPECT_EQ(g_int_stack.top, 1);
                EXPECT_EQ(g_real_stack.top, 1);
                EXPECT_EQ(g_complex_stack.top, 1);
            };
            if (thread_stack)
                run_on_thread(thread_stack, body);
            else
                body();
        }
    }
}

}  // namespace
}  // namespace tmx::limits_test
