// "ExeModule" of programs that would never end, stopped from another thread
// the way a host's monitor does it: each endless formula returns, the run
// goes on to its end, the report names the interrupt, and the next run
// starts clean.
#include <string>
#include <vector>

#include "../unit/interrupter.h"
#include "module_host.h"

namespace modtest {
namespace {

using Results = std::vector<std::string>;
using tmx::limits_test::InterruptingThread;
using tmx::limits_test::kInterruptName;

class ExeModuleInterrupt : public ModuleHost {
protected:
    void SetUp() override {
        ModuleHost::SetUp();
        const extproto::KernelExports &k = kernel();
        using namespace tmx::limits_test;
        ASSERT_EQ(k.SetFunction(4, u"running", reinterpret_cast<void *>(&running_int), -1), 0);
        ASSERT_EQ(k.SetFunction(5, u"running", reinterpret_cast<void *>(&running_real), -1), 0);
        ASSERT_EQ(k.SetFunction(6, u"running", reinterpret_cast<void *>(&running_complex), -1), 0);
    }

    // Runs the program while a second thread interrupts it.
    Results run_interrupted(const std::u16string &source) {
        captured().messages.clear();
        InterruptingThread stopper(kernel().SetRunErr);
        Results results = run(source);
        EXPECT_TRUE(stopper.interrupted_a_running_loop());
        return results;
    }

    static size_t reports_of_the_interrupt() {
        const std::u16string &text = captured().messages;
        std::u16string expected = u"\r\n\r\nTamrix表达式运行错误！\r\n其他运行错误！\r\n错误描述：";
        expected += kInterruptName;
        expected += u"  错误代码：0\r\n";
        size_t count = 0;
        for (size_t at = text.find(expected); at != std::u16string::npos;
             at = text.find(expected, at + 1))
            ++count;
        return count;
    }
};

// A while loop that ends on a pending error leaves its test's value (here 1)
// as its own: the results of a run with an error are not valid anyway.
TEST_F(ExeModuleInterrupt, AnEndlessLoopEndsAndTheRunGoesOn) {
    EXPECT_EQ(run_interrupted(u"1; while(1, running()); 3"), (Results{"r:1", "r:1", "r:3"}));
    EXPECT_EQ(reports_of_the_interrupt(), 1u);
    EXPECT_EQ(kernel().TestRunErr(), 0);
}

TEST_F(ExeModuleInterrupt, EveryEndlessFormulaOfTheRunEnds) {
    // The first is interrupted; the pending error ends the others at once.
    const std::u16string program =
        u"i: while(1, running());"
        u"c: until(running(), 0);"
        u"f(n)=which(n<=0, running(), f(n-1)+f(n-1));"
        u"f(60);"
        u"g(n)=if(n>0, while(1, running(), g(n-1)));"
        u"g(100);"
        u"h(x)=(while(1, running()), x);"
        u"sum(\"h\", 0, 1e9, 1);"
        u"SimpIntegrate(0, 1, 0, \"h\");"
        u"4";
    EXPECT_EQ(run_interrupted(program),
              (Results{"i:1", "c:0,0", "r:0", "r:0", "r:0", "r:0", "r:4"}));
    EXPECT_EQ(reports_of_the_interrupt(), 1u);
}

TEST_F(ExeModuleInterrupt, TheNextRunIsNotInterrupted) {
    run_interrupted(u"while(1, running())");
    captured().messages.clear();
    // f has no parameters, so it runs as well as the call.
    EXPECT_EQ(run(u"f(: k)=(while(k<5, k++), k); f()"), (Results{"r:5", "r:5"}));
    EXPECT_TRUE(captured().messages.empty());
}

}  // namespace
}  // namespace modtest
