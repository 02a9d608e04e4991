// Recursion in native code: nested activations run the formula's nested
// native code on the shared value stack and must give the interpreter's
// bits, write-backs and run errors; a recursion ends with "StackOverFlow" at
// the value-stack limit and at the native-stack guard, leaves the stack and
// the activation flag as it found them, and stops when another thread
// interrupts it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/eval/value_stacks.h"
#include "limits_support.h"
#include "native_tier_fixture.h"
#include "record_builder.h"

namespace {

using namespace tmx::native_test;

class NativeRecursion : public NativeTier {
  protected:
    // A recursion without end (NaN arguments) must meet the value-stack
    // limit, which both ways of running reach at the same depth, long before
    // the native-stack guard, which they reach at different depths (their
    // native frames differ, the more so under the address sanitizer).
    void SetUp() override {
        NativeTier::SetUp();
        set_real_stack(4000);
    }

    void set_real_stack(int slots) {
        const std::u16string src = u"SetRealStackMax(" + to_u16(slots) + u")";
        EXPECT_EQ(RealCal(compile(src), nullptr), slots);
    }

    static std::u16string to_u16(int n) {
        const std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }

    // Native code for first and nested activations, and nothing left behind.
    void expect_nested_native(const tmx::FormulaRecord *r) {
        EXPECT_NE(r->jit_nested, nullptr);
        EXPECT_EQ(tmx::g_real_stack.top, 1);
        EXPECT_EQ(r->code[0], tmx::kIdle);
    }
};

TEST_F(NativeRecursion, RecursiveFormulasAgree) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    struct Case {
        const char16_t *src;
        std::vector<std::vector<double>> args;
    } cases[] = {
        {u"fib(n)=which(n<2, n, fib(n-1)+fib(n-2))",
         {{0}, {1}, {15}, {15.5}, {-3}, {kNaN}, {-0.0}, {-kInf}}},
        // A parameter passed on by reference: every level adds to the
        // caller's s.
        {u"acc(n,s)=(if(n>0, acc(n-1, &s)), s=s+n*1.5)", {{10, 0.25}, {3.5, -0.0}, {kNaN, 1}}},
        // Parameters written in a nested frame, in place.
        {u"pw(n,m)=which(n<=0, m, (m=m*2, pw(n-1, m)+m))", {{6, 1.5}, {2.5, -kInf}}},
        // Automatic variables private per activation, one static for all.
        {u"deep(n:t,static,c)=(c++, t=n*2, which(n<=0, t+c, deep(n-1)-t))", {{12}, {0.5}, {-1}}},
        // A loop around the recursion.
        {u"down(n:s)=(s=0, while(n>0, s=s+down(n-1)*0.5+n+sign(1, n), n--), s)", {{5}, {3.25}}},
    };
    for (const Case &c : cases) {
        tmx::FormulaRecord *r = compile(c.src);
        for (const auto &args : c.args) expect_same(r, c.src, args);
        expect_nested_native(r);
    }
}

// f(n) = which(n <= 0, n, g(n-1)*0.5 + n) and g(x) = f(x - 0.25) - x: the
// language resolves names as it compiles, so the pair is built by hand.
TEST_F(NativeRecursion, MutualRecursionAgrees) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    tmx::test::RecordBuilder fb(1, 0, 0, u"f"), gb(1, 0, 0, u"g");
    tmx::test::Label other = fb.label(), end = fb.label();
    fb.push_var(0).push_const(0).op(tmx::OpLe).test(tmx::OpWhichTest, other);
    fb.push_var(0).which_end(end, 1);
    fb.bind(other).push_var(0).push_const(1).op(tmx::OpSub).call(tmx::OpCallReal, gb.index(), 0);
    fb.push_const(0.5).op(tmx::OpMul).push_var(0).op(tmx::OpAdd).op(tmx::OpWhichDefault, 2);
    fb.bind(end).ret();
    gb.push_var(0).push_const(0.25).op(tmx::OpSub).call(tmx::OpCallReal, fb.index(), 0);
    gb.push_var(0).op(tmx::OpSub).ret();
    tmx::test::RecordPtr f = fb.build(), g = gb.build();
    for (tmx::FormulaRecord *r : {f.get(), g.get()}) {
        r->fast = tmx::build_real_fast_code(r);
        tmx::jit_prepare(r);
        tmx::choose_real_entry(r);
    }
    for (double n : {7.0, 6.5, -2.0, kNaN, 40.0}) expect_same(f.get(), u"f/g", {n}, {g.get()});
    expect_nested_native(f.get());
    expect_nested_native(g.get());
}

TEST_F(NativeRecursion, RecursionEndsAtTheValueStackLimit) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    const char16_t *formulas[] = {
        u"down(n)=which(n<=0, 0, 1+down(n-1))",
        u"fib(n)=which(n<2, n, fib(n-1)+fib(n-2))",
        u"acc(n,s:t)=(t=n, if(n>0, acc(n-1, &s)), s=s+t)",
    };
    for (int limit : {12, 60, 500}) {
        set_real_stack(limit);
        for (const char16_t *src : formulas) {
            tmx::FormulaRecord *r = compile(src);
            expect_same(r, src, {1000, 0.5});
            std::vector<double> args = {1000, 0.5};
            RealCal(r, args.data());
            const RunError e = take_error();
            EXPECT_EQ(e.name, u"StackOverFlow") << limit;
            EXPECT_EQ(e.formula, r);
            expect_nested_native(r);
        }
    }
}

// A value stack far too large for the thread's native stack: the native-stack
// guard ends the recursion.  Nested native frames are smaller than the fast
// form's, so native code gets deeper before the guard stops it.
TEST_F(NativeRecursion, NativeStackGuardEndsADeepRecursion) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    set_real_stack(4000000);
    tmx::FormulaRecord *r = compile(u"down(n)=which(n<=0, 0, 1+down(n-1))");
    tmx::limits_test::run_on_thread(1 << 20, [&] {
        double n = 1e6;
        const double native_depth = RealCal(r, &n);
        const RunError e = take_error();
        EXPECT_EQ(e.type, 2);
        EXPECT_EQ(e.name, u"StackOverFlow");
        EXPECT_EQ(e.formula, r);
        expect_nested_native(r);

        auto *jit = r->jit, *jit_nested = r->jit_nested;
        r->jit = r->jit_nested = nullptr;
        const double fast_depth = RealCal(r, &n);
        r->jit = jit;
        r->jit_nested = jit_nested;
        EXPECT_EQ(take_error().name, u"StackOverFlow");
        EXPECT_GT(native_depth, fast_depth);
        EXPECT_GT(fast_depth, 10);
    });
}

// The pending interrupt refuses every further nested activation, so even
// a recursion of 2^100 calls ends at once.
TEST_F(NativeRecursion, AnotherThreadInterruptsADeepRecursion) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    tmx::limits_test::register_running();
    tmx::FormulaRecord *r = compile(u"spin(n)=which(n<2, (running(), n), spin(n-1)+spin(n-2))");
    double n = 200;
    {
        tmx::limits_test::Interrupter stopper;
        RealCal(r, &n);
        EXPECT_TRUE(stopper.interrupted_a_running_loop());
    }
    EXPECT_EQ(take_error().type, tmx::limits_test::kInterruptType);
    expect_nested_native(r);
}

// A callee deleted in the middle of a recursion: every later call, at any
// depth, gives 0 and run error 4, as interpreted.
TEST_F(NativeRecursion, CalleeDeletedInsideARecursionIsARunError) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    ASSERT_EQ(SetFunction(5, u"kill", reinterpret_cast<void *>(&kill_victim), 0), 0);
    struct Outcome {
        double value;
        RunError error;
    };
    int module = -20;
    const auto scenario = [&](bool native) {
        --module;
        g_victim = compile_in(module, u"victim(x)=x+1");
        tmx::FormulaRecord *r = compile_in(
            module, u"rec(n)=which(n<=0, 0, (which(n==3, kill(0), 0), victim(n)+rec(n-1)))");
        tmx::FastCode *fast = r->fast;
        if (!native) {
            r->jit_countdown = 0;
            r->fast = nullptr;
        }
        double n = 6;
        Outcome o{RealCal(r, &n), take_error()};
        r->fast = fast;
        EXPECT_EQ(o.error.formula, r);
        o.error.formula = nullptr;
        EXPECT_EQ(r->jit_nested != nullptr, native);
        EXPECT_EQ(r->code[0], tmx::kIdle);
        EXPECT_EQ(RealCal(r, &n), 0); // and it stays invalid
        EXPECT_EQ(take_error().type, 4);
        return o;
    };
    const Outcome native = scenario(true), interpreted = scenario(false);
    EXPECT_EQ(bits(native.value), bits(interpreted.value));
    EXPECT_EQ(native.value, 7 + 6 + 5); // victim(3) and rec(2) are gone
    EXPECT_TRUE(native.error == interpreted.error);
    EXPECT_EQ(native.error.type, 4);
}

}  // namespace
