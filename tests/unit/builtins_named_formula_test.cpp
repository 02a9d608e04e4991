// The registered built-ins that evaluate a real formula named by a string:
// "SimpIntegrate", "sum", "pro", "DataSum", "DataPro".  Test functions
// registered as external functions count and record the evaluations; a
// second thread stands in for a host that interrupts a long run.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "builtins_fixture.h"
#include "kernel/builtins/builtins.h"

namespace tmx::test {
namespace {

std::atomic<int64_t> g_ticks{0};
std::vector<std::pair<double, double>> g_seen;

// tick(x) = x, counted.
double tick(int, double *args, TmCallContext *) {
    g_ticks.fetch_add(1, std::memory_order_relaxed);
    return args[0];
}

// seen(x, y) = 0, recorded.
double seen(int, double *args, TmCallContext *) {
    g_seen.emplace_back(args[0], args[1]);
    return 0;
}

// nan_of(x) = NaN, counted.
double nan_of(int, double *, TmCallContext *) {
    g_ticks.fetch_add(1, std::memory_order_relaxed);
    return std::numeric_limits<double>::quiet_NaN();
}

class NamedFormulaBuiltins : public BuiltinsTest {
  protected:
    void SetUp() override {
        BuiltinsTest::SetUp();
        g_ticks = 0;
        g_seen.clear();
        ASSERT_EQ(SetFunction(5, u"tick", reinterpret_cast<void *>(&tick), 0), 0);
        ASSERT_EQ(SetFunction(5, u"seen", reinterpret_cast<void *>(&seen), 1), 0);
        ASSERT_EQ(SetFunction(5, u"nan_of", reinterpret_cast<void *>(&nan_of), 0), 0);
        ok(2, "id(x)=x");
        ok(2, "t(x)=tick(x)");
        ok(2, "sq(x)=x*x");
        ok(2, "add(x, y)=x+y");
        ok(2, "rec(x, y)=seen(x, y)");
        ok(2, "none()=1");
        ok(2, "fails(x)=tick(x) + which(0, 1)");
    }

    // Runs `src`, expects result 0 and the error {2, name, code}.
    void expect_error(const std::string &src, const char16_t *name, int code) {
        EXPECT_EQ(real(src), 0) << src;
        RunError e = take_run_error();
        EXPECT_EQ(e.type, 2) << src;
        EXPECT_EQ(e.name_text(), name) << src;
        EXPECT_EQ(e.code, code) << src;
        EXPECT_EQ(e.formula_type, 2) << src;
    }

    // A pending error at entry: the function returns 0 at once, evaluates
    // nothing and leaves the error as it was.
    void expect_nothing_with_error_pending(const std::string &src) {
        Compiled c = ok(2, src);
        SetRunErr(6, u"interrupt", 9, 0, nullptr);
        EXPECT_EQ(RealCal(c.handle, c.reals()), 0) << src;
        EXPECT_EQ(g_ticks, 0) << src;
        RunError e = take_run_error();
        EXPECT_EQ(e.type, 6) << src;
        EXPECT_EQ(e.code, 9) << src;
    }
};

// Records an interrupt (type 6, as a host's watch thread does) from another
// thread once the counted formula has run `threshold` times.
class Interrupter {
  public:
    explicit Interrupter(int64_t threshold)
        : thread_([this, threshold] {
              while (!done_ && g_ticks.load() < threshold) std::this_thread::yield();
              if (done_) return;
              at_ = g_ticks.load();
              SetRunErr(6, u"interrupt", 0, 0, nullptr);
          }) {}
    ~Interrupter() { finish(); }
    // Stops waiting; the count at the interrupt, or -1 if none happened.
    int64_t finish() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return at_;
    }

  private:
    std::atomic<bool> done_{false};
    std::atomic<int64_t> at_{-1};
    std::thread thread_;
};

// How many evaluations may still start after another thread's interrupt:
// the one in flight and a few that race with the store.
constexpr int64_t kPromptly = 1000;

// --- SimpIntegrate ----------------------------------------------------------------

using SimpIntegrate = NamedFormulaBuiltins;

TEST_F(SimpIntegrate, IntegratesToTheTolerance) {
    EXPECT_NEAR(real("SimpIntegrate(0, 1, 1e-10, \"sq\")"), 1.0 / 3, 1e-10);
    EXPECT_NEAR(real("SimpIntegrate(1, 0, 1e-10, \"sq\")"), -1.0 / 3, 1e-10);
    ok(2, "s(x)=sin(x)");
    EXPECT_NEAR(real("SimpIntegrate(0, 3.141592653589793, 1e-10, \"s\")"), 2, 1e-9);
    // Simpson's rule is exact for cubics: the second pass confirms the first.
    ok(2, "cube(x)=x*x*x");
    EXPECT_EQ(real("SimpIntegrate(0, 2, 1e-12, \"cube\")"), 4);
    // An empty interval converges at once.
    EXPECT_EQ(real("SimpIntegrate(3, 3, 1e-6, \"sq\")"), 0);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(SimpIntegrate, ArgumentIsPassedThroughTheDataArray) {
    Compiled c = ok(2, "SimpIntegrate(2, 4, 1e-10, \"t\")");
    EXPECT_NEAR(RealCal(c.handle, c.reals()), 6, 1e-12);
    EXPECT_GT(g_ticks, 2);
}

TEST_F(SimpIntegrate, NaNToleranceReturnsTheLowerBoundAfterTheEnds) {
    EXPECT_EQ(real("SimpIntegrate(2, 3, 0/0, \"t\")"), 2);
    EXPECT_EQ(g_ticks, 2);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(SimpIntegrate, FormulaArgumentErrors) {
    expect_error("SimpIntegrate(0, 1, 1e-6, 99999)", u"SimpIntegrate", 1);
    expect_error("SimpIntegrate(0, 1, 1e-6, 0)", u"SimpIntegrate", 1);
    expect_error("SimpIntegrate(0, 1, 1e-6, 0/0)", u"SimpIntegrate", 1);
    expect_error("SimpIntegrate(0, 1, 1e-6, \"nosuch\")", u"SimpIntegrate", 2);
    expect_error("SimpIntegrate(0, 1, 1e-6, \"\")", u"SimpIntegrate", 2);
    ok(1, "int_only(x)=x");
    expect_error("SimpIntegrate(0, 1, 1e-6, \"int_only\")", u"SimpIntegrate", 2);
    expect_error("SimpIntegrate(0, 1, 1e-6, \"add\")", u"SimpIntegrate", 3);
    expect_error("SimpIntegrate(0, 1, 1e-6, \"none\")", u"SimpIntegrate", 3);
    double args[] = {0, 1, 1e-6, 5};
    EXPECT_EQ(builtin_simp_integrate(3, args, nullptr), 0);
    EXPECT_EQ(take_run_error().code, 1);
    EXPECT_EQ(builtin_simp_integrate(1, args, nullptr), 0);
    EXPECT_EQ(take_run_error().code, 1);
}

TEST_F(SimpIntegrate, PrivateFormulasAreSeenOnlyFromTheirModule) {
    ok(2, "pf(x)=x", -2);
    expect_error("SimpIntegrate(0, 1, 1e-8, \"pf\")", u"SimpIntegrate", 2);
    EXPECT_NEAR(real("SimpIntegrate(0, 1, 1e-8, \"pf\")", {}, 2), 0.5, 1e-12);
}

// ri(x) = 1 up to 0.5, beyond it the integral of itself over [0, 0.5] plus x.
TEST_F(SimpIntegrate, RecursionKeepsTheCallersParameter) {
    Compiled ri = ok(2, "ri(x)= which(x > 0.5, SimpIntegrate(0, 0.5, 1e-9, \"ri\") + x, 1)");
    ri.reals()[0] = 2;
    EXPECT_NEAR(RealCal(ri.handle, ri.reals()), 2.5, 1e-12);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(SimpIntegrate, PendingErrorAtEntry) {
    expect_nothing_with_error_pending("SimpIntegrate(0, 1, 1e-6, \"t\")");
}

TEST_F(SimpIntegrate, ErrorRaisedByTheFormulaEndsIt) {
    EXPECT_EQ(real("SimpIntegrate(0, 1, -1, \"fails\")"), 0);
    EXPECT_EQ(take_run_error().name_text(), u"which");
    // The first pass starts only when the ends ran without error.
    EXPECT_EQ(g_ticks, 2);
}

TEST_F(SimpIntegrate, NeverConvergingEndsWithCodeFour) {
    ok(2, "nf(x)=nan_of(x)");
    expect_error("SimpIntegrate(0, 1, 1e-6, \"nf\")", u"SimpIntegrate", 4);
    EXPECT_EQ(g_ticks, 3); // both ends and one midpoint
    expect_error("SimpIntegrate(0, 1/0, 1e-6, \"sq\")", u"SimpIntegrate", 4);
    // h is 0 from the start: nothing can ever get below a tolerance of 0.
    expect_error("SimpIntegrate(3, 3, 0, \"sq\")", u"SimpIntegrate", 4);
    expect_error("SimpIntegrate(0, 4.9e-324, -1, \"sq\")", u"SimpIntegrate", 4);
}

TEST_F(SimpIntegrate, RefinementStopsAtTwoToTheTwentyFourSubintervals) {
    expect_error("SimpIntegrate(0, 1, -1, \"t\")", u"SimpIntegrate", 4);
    EXPECT_EQ(g_ticks, (int64_t(1) << 24) + 1);
}

TEST_F(SimpIntegrate, InterruptFromAnotherThreadEndsAPassPromptly) {
    Compiled c = ok(2, "SimpIntegrate(0, 1, -1, \"t\")");
    // 1.5 million lies inside the pass of 2^20 midpoints.
    Interrupter irq(1500000);
    const double result = RealCal(c.handle, c.reals());
    const int64_t at = irq.finish();
    ASSERT_GE(at, 0);
    EXPECT_EQ(result, 0);
    EXPECT_LE(g_ticks - at, kPromptly);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 6);
    EXPECT_EQ(e.name_text(), u"interrupt");
}

// --- sum / pro ---------------------------------------------------------------

using GridSums = NamedFormulaBuiltins;

TEST_F(GridSums, SumsAndProductsOverTheGrid) {
    EXPECT_EQ(real("sum(\"id\", 1, 3, 1)"), 6);
    EXPECT_EQ(real("pro(\"id\", 1, 4, 1)"), 24);
    EXPECT_EQ(real("sum(\"id\", 2, 2, 1)"), 2);
    // The last point is min + trunc((max - min) / step) * step.
    EXPECT_NEAR(real("sum(\"id\", 0, 1, 0.3)"), 1.8, 1e-12);
    // An infinite step leaves the first point alone.
    EXPECT_EQ(real("sum(\"id\", 5, 9, 1/0)"), 5);
    EXPECT_EQ(real("sum(\"add\", 0, 1, 1, 0, 2, 1)"), 3 * 1 + 2 * 3);
    EXPECT_EQ(real("pro(\"add\", 1, 2, 1, 0, 0, 1)"), 1 * 2);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(GridSums, ParameterZeroVariesFastest) {
    EXPECT_EQ(real("sum(\"rec\", 0, 1, 1, 10, 12, 1)"), 0);
    const std::vector<std::pair<double, double>> expected = {
        {0, 10}, {1, 10}, {0, 11}, {1, 11}, {0, 12}, {1, 12}};
    EXPECT_EQ(g_seen, expected);
}

TEST_F(GridSums, EveryPointIsExactEvenWhenTheFormulaAssignsItsParameters) {
    ok(2, "bump(x, y)= y = y + 100, x + y");
    // (0, 0) gives 100, then (1, 0) gives 101: y is written afresh.
    EXPECT_EQ(real("sum(\"bump\", 0, 1, 1, 0, 0, 1)"), 201);
}

TEST_F(GridSums, NestedSums) {
    ok(2, "outer(x)= sum(\"id\", 1, x, 1)");
    EXPECT_EQ(real("sum(\"outer\", 1, 3, 1)"), 1 + 3 + 6);
    EXPECT_EQ(take_run_error().type, 0);
}

// A formula that sums over itself: the inner sum must not overwrite the
// parameters of the running outer activation (s(x) = s(0) + ... + s(x-1) + x).
TEST_F(GridSums, RecursionThroughTheSumKeepsTheCallersParameters) {
    Compiled s = ok(2, "s(x)= which(x < 1, 0, sum(\"s\", 0, x - 1, 1) + x)");
    EXPECT_EQ(real("sum(\"s\", 3, 3, 1)"), 7);
    s.reals()[0] = 3;
    EXPECT_EQ(RealCal(s.handle, s.reals()), 7);
    EXPECT_EQ(s.reals()[0], 3);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(GridSums, ArgumentErrors) {
    expect_error("sum()", u"sum", 3);
    expect_error("sum(\"id\", 1, 3)", u"sum", 3);
    expect_error("sum(\"id\", 1, 3, 1, 1)", u"sum", 3);
    expect_error("pro(\"add\", 0, 1, 1)", u"pro", 3);
    expect_error("sum(4321, 1, 3, 1)", u"sum", 1);
    expect_error("pro(\"nosuch\", 1, 3, 1)", u"pro", 2);
    expect_error("sum(\"none\")", u"sum", 4);
    expect_error("sum(\"none\", 1, 2, 1)", u"sum", 4);
    EXPECT_EQ(g_ticks, 0);
}

TEST_F(GridSums, BadRangesAreRefusedBeforeAnyPoint) {
    for (const char *range : {"1, 3, 0", "1, 3, -1", "3, 1, 1", "0/0, 1, 1", "0, 0/0, 1",
                              "0, 1, 0/0", "0, 1/0, 1", "-1/0, 0, 1", "-1/0, -1/0, 1",
                              "0, 1, 1e-300", "0, 1e19, 1"}) {
        expect_error(std::string("sum(\"t\", ") + range + ")", u"sum", 6);
    }
    // Each axis alone is fine, the grid of both overflows a 64-bit count.
    ok(2, "t2(x, y)=tick(x)");
    expect_error("pro(\"t2\", 0, 1e10, 1, 0, 1e10, 1)", u"pro", 6);
    // 4e9 squared fits 64 bits unsigned but not the signed count.
    expect_error("sum(\"t2\", 0, 4e9, 1, 0, 4e9, 1)", u"sum", 6);
    EXPECT_EQ(g_ticks, 0);
}

TEST_F(GridSums, PendingErrorAtEntry) {
    expect_nothing_with_error_pending("sum(\"t\", 1, 3, 1)");
    expect_nothing_with_error_pending("pro(\"t\", 1, 3, 1)");
}

TEST_F(GridSums, ErrorRaisedByTheFormulaStopsTheGrid) {
    EXPECT_EQ(real("sum(\"fails\", 1, 1000, 1)"), 0);
    EXPECT_EQ(take_run_error().name_text(), u"which");
    EXPECT_EQ(g_ticks, 1);
}

TEST_F(GridSums, InterruptFromAnotherThreadStopsATrillionPointSum) {
    Compiled c = ok(2, "sum(\"t\", 1, 1e12, 1)");
    Interrupter irq(100000);
    const double result = RealCal(c.handle, c.reals());
    const int64_t at = irq.finish();
    ASSERT_GE(at, 0);
    EXPECT_EQ(result, 0);
    EXPECT_LE(g_ticks - at, kPromptly);
    EXPECT_EQ(take_run_error().type, 6);
}

// --- DataSum / DataPro ----------------------------------------------------------

using DataSums = NamedFormulaBuiltins;

TEST_F(DataSums, GroupsInOrder) {
    EXPECT_EQ(real("DataSum(\"id\", 1, 2, 3)"), 6);
    EXPECT_EQ(real("DataPro(\"add\", 1, 2, 3, 4)"), 3 * 7);
    EXPECT_EQ(real("DataPro(\"id\", 5)"), 5);
    EXPECT_EQ(real("DataSum(\"rec\", 1, 2, 3, 4)"), 0);
    const std::vector<std::pair<double, double>> expected = {{1, 2}, {3, 4}};
    EXPECT_EQ(g_seen, expected);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(DataSums, RecursionKeepsTheCallersParameter) {
    Compiled d = ok(2, "d(x)= which(x < 1, 0, DataSum(\"d\", 0, x - 1) + x)");
    d.reals()[0] = 2;
    EXPECT_EQ(RealCal(d.handle, d.reals()), 3);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(DataSums, ArgumentErrors) {
    expect_error("DataSum()", u"DataSum", 3);
    expect_error("DataSum(\"id\")", u"DataSum", 3);
    expect_error("DataPro(\"add\", 1, 2, 3)", u"DataPro", 3);
    expect_error("DataSum(-7, 1)", u"DataSum", 1);
    expect_error("DataSum(\"nosuch\", 1)", u"DataSum", 2);
    expect_error("DataPro(\"none\", 1)", u"DataPro", 4);
    EXPECT_EQ(g_ticks, 0);
}

TEST_F(DataSums, PendingErrorAtEntryAndErrorsOnTheWay) {
    expect_nothing_with_error_pending("DataSum(\"t\", 1, 2)");
    EXPECT_EQ(real("DataPro(\"fails\", 1, 2, 3)"), 0);
    EXPECT_EQ(take_run_error().name_text(), u"which");
    EXPECT_EQ(g_ticks, 1);
}

}  // namespace
}  // namespace tmx::test
