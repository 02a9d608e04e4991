// Every loop the kernel runs on behalf of a script ends once another thread
// records a run error: while and until loops, "sum", "pro" and
// "SimpIntegrate", and recursion, including recursion that branches (no
// loop to poll) and recursion whose every frame loops.  Afterwards the
// recorded error is the interrupt, and the kernel is as it was before the
// run: stacks empty, formulas idle, the same formulas run again normally.
#include <gtest/gtest.h>

#include <string>

#include "kernel/eval/value_stacks.h"
#include "limits_support.h"

namespace tmx::limits_test {
namespace {

class Interrupt : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(InitTamrix());
        register_running();
        ASSERT_EQ(run(1, u"SetIntStackMax(1000000)"), 1000000);
        ASSERT_EQ(run(2, u"SetRealStackMax(1000000)"), 1000000);
        ASSERT_EQ(run(3, u"SetComplexStackMax(1000000)"), 1000000);
    }
    void TearDown() override {
        take_run_error();
        FreeTamrix();
    }

    // Evaluates a compiled formula while an Interrupter stops it; expects
    // the interrupt (and nothing else) in the record afterwards.
    static double interrupt(int type, const Compiled &c, const std::string &what) {
        double value;
        bool saw_loop;
        {
            Interrupter stopper;
            value = evaluate(type, c);
            saw_loop = stopper.interrupted_a_running_loop();
        }
        EXPECT_TRUE(saw_loop) << what << ": the loop never called running()";
        RunError e = take_run_error();
        EXPECT_EQ(e.type, kInterruptType) << what;
        EXPECT_EQ(e.name_text(), kInterruptName) << what;
        // Every frame was released on the way out.
        EXPECT_EQ(g_int_stack.top, 1) << what;
        EXPECT_EQ(g_real_stack.top, 1) << what;
        EXPECT_EQ(g_complex_stack.top, 1) << what;
        return value;
    }

    static void compile_and_interrupt(int type, const std::u16string &src) {
        Compiled c = compile(type, src);
        ASSERT_EQ(c.status, 0) << "type " << type << " at " << c.err_begin;
        interrupt(type, c, "type " + std::to_string(type) + ": " +
                               std::string(src.begin(), src.end()));
    }
};

TEST_F(Interrupt, EndlessLoopsOfEveryTypeEnd) {
    for (int type = 1; type <= 3; ++type) {
        compile_and_interrupt(type, u"while(1, running())");
        compile_and_interrupt(type, u"until(running(), 0)");
        // The inner loop ends, then the outer one at its next test.
        compile_and_interrupt(type, u"while(1, until(running(), 0), 1)");
        compile_and_interrupt(type, u"until(while(1, running()), 0)");
        // A loop that only continues: the continue itself leaves.
        compile_and_interrupt(type, u"(x)=while(1, x=running(), continue())");
        compile_and_interrupt(type, u"(x)=until(x=running(), continue(), 0)");
    }
}

TEST_F(Interrupt, GridSumsAndProductsEnd) {
    ASSERT_EQ(compile(2, u"f(x, y)=running()+x*y").status, 0);
    // 10^12 grid points: hours of work unless the grid loop stops.
    Compiled sum = compile(2, u"sum(\"f\", 0, 1e6, 1, 0, 1e6, 1)");
    ASSERT_EQ(sum.status, 0);
    EXPECT_EQ(interrupt(2, sum, "sum"), 0);
    Compiled pro = compile(2, u"pro(\"f\", 1, 1e6, 1, 1, 1e6, 1)");
    ASSERT_EQ(pro.status, 0);
    EXPECT_EQ(interrupt(2, pro, "pro"), 0);
    // The grid's formula itself loops: its loop ends, then the grid.
    ASSERT_EQ(compile(2, u"g(x)=(while(1, running()), x)").status, 0);
    Compiled looping = compile(2, u"sum(\"g\", 0, 1e6, 1)");
    ASSERT_EQ(looping.status, 0);
    EXPECT_EQ(interrupt(2, looping, "sum over a looping formula"), 0);
}

TEST_F(Interrupt, SimpsonRefinementEnds) {
    // eps 0 never converges: the refinement runs up to its bound of 2^24
    // evaluations, each of them a thousand loop passes.
    ASSERT_EQ(compile(2, u"f(x : k)=(k=0, while(k<1000, k++), running(), x*x)").status, 0);
    Compiled c = compile(2, u"SimpIntegrate(0, 1, 0, \"f\")");
    ASSERT_EQ(c.status, 0);
    EXPECT_EQ(interrupt(2, c, "SimpIntegrate"), 0);
    // An integrand that loops for ever.
    ASSERT_EQ(compile(2, u"g(x)=(while(1, running()), x)").status, 0);
    Compiled endless = compile(2, u"SimpIntegrate(0, 1, 1e-6, \"g\")");
    ASSERT_EQ(endless.status, 0);
    EXPECT_EQ(interrupt(2, endless, "SimpIntegrate over a looping formula"), 0);
}

TEST_F(Interrupt, BranchingRecursionOfEveryTypeEnds) {
    // 2^60 calls and no loop anywhere: only the calls can notice.
    const std::u16string fib = u"b(n)=which(n<=0, running(), b(n-1)+b(n-1))";
    for (int type = 1; type <= 3; ++type) {
        // One private module per type: a name may stand once in a module.
        const int module = -type;
        Compiled b = compile(type, fib, module);
        ASSERT_EQ(b.status, 0);
        Compiled top = compile(type, u"b(60)", module);
        ASSERT_EQ(top.status, 0);
        interrupt(type, top, "branching recursion of type " + std::to_string(type));
        // The same formulas still run, and give the right value.
        Compiled small = compile(type, u"c(n)=which(n<=0, 1, c(n-1)+c(n-1))", module);
        ASSERT_EQ(small.status, 0);
        Compiled c10 = compile(type, u"c(10)", module);
        ASSERT_EQ(c10.status, 0);
        EXPECT_EQ(evaluate(type, c10), 1024) << type;
        EXPECT_EQ(take_run_error().type, 0);
    }
}

TEST_F(Interrupt, RecursionWhoseFramesLoopEnds) {
    // Every level loops for ever around its recursive call: the innermost
    // loop ends first, then each caller's loop in turn.
    for (int type = 1; type <= 3; ++type) {
        Compiled f = compile(type, u"f(n)=if(n>0, while(1, running(), f(n-1)))", -type);
        ASSERT_EQ(f.status, 0);
        Compiled top = compile(type, u"f(200)", -type);
        ASSERT_EQ(top.status, 0);
        interrupt(type, top, "looping recursion of type " + std::to_string(type));
    }
    // Loops at every level of a branching recursion.
    Compiled g =
        compile(2, u"g(n : k)=which(n<=0, running(), (k=0, while(k<3, g(n-1), k++), 0))", 4);
    ASSERT_EQ(g.status, 0);
    Compiled top = compile(2, u"g(40)", 4);
    ASSERT_EQ(top.status, 0);
    interrupt(2, top, "branching recursion with loops");
}

TEST_F(Interrupt, RecursionAcrossTheThreeTypesEnds) {
    // real r -> integer k -> complex c -> real s -> (by name, through "sum")
    // real r: a cycle through every evaluator, branching at r.
    ASSERT_EQ(compile(2, u"s(n)=sum(\"r\", n, n, 1)").status, 0);
    ASSERT_EQ(compile(3, u"c(z)=s(z)").status, 0);
    ASSERT_EQ(compile(1, u"k(n)=rtoi(c(itor(n), 0))").status, 0);
    ASSERT_EQ(compile(2, u"r(n)=which(n<=0, 1+running(), itor(k(rtoi(n-1)))+itor(k(rtoi(n-1))))")
                  .status,
              0);
    // The cycle computes: r(n) = 2^n.
    EXPECT_EQ(run(2, u"r(5)"), 32);
    EXPECT_EQ(take_run_error().type, 0);
    Compiled top = compile(2, u"r(60)");
    ASSERT_EQ(top.status, 0);
    interrupt(2, top, "recursion across types");
}

TEST_F(Interrupt, AnErrorRecordedBeforeTheRunStopsLoopsAndRecursionAtOnce) {
    // Same rule without a second thread: a pending error ends loops at their
    // first test and refuses every nested activation, but the first
    // activation runs its straight-line code.
    Compiled loop = compile(2, u"(k)=(while(1, k++), k+100)");
    ASSERT_EQ(loop.status, 0);
    ASSERT_EQ(compile(2, u"d(n)=which(n<=0, 0, d(n-1)+1)").status, 0);
    Compiled rec = compile(2, u"d(1000)");
    ASSERT_EQ(rec.status, 0);
    SetRunErr(kInterruptType, kInterruptName, 0, 0, nullptr);
    EXPECT_EQ(evaluate(2, loop), 100);
    EXPECT_EQ(evaluate(2, rec), 1);  // the nested d(999) returned 0
    RunError e = take_run_error();
    EXPECT_EQ(e.type, kInterruptType);
    EXPECT_EQ(e.name_text(), kInterruptName);
    EXPECT_EQ(evaluate(2, rec), 1000);
}

}  // namespace
}  // namespace tmx::limits_test
