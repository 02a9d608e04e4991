// The integer and complex evaluators end to end: source through IntCom /
// ComplexCom / RealCom, values through IntCal / ComplexCal / RealCal,
// including calls by name across the three types and the release pass.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "kernel/registry/formulas.h"
#include "kernel/eval/value_stacks.h"
#include "kernel/record.h"
#include "kernel/registry/formulas.h"
#include "tamrix/tamrix.h"

namespace tmx::test {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

std::u16string u16(const std::string &s) { return std::u16string(s.begin(), s.end()); }

struct Formula {
    int rc = -100;
    void *handle = nullptr;
    int params = -2;
    void *data = nullptr;
    int err_begin = -1, err_end = -1;
};

Formula compile(int type, const std::string &src) {
    Formula f;
    const std::u16string text = u16(src);
    const char16_t *s = text.c_str();
    int *ps = &f.params, *eb = &f.err_begin, *ee = &f.err_end;
    void **h = &f.handle;
    switch (type) {
    case 1: f.rc = IntCom(s, 1, h, ps, reinterpret_cast<int64_t **>(&f.data), eb, ee); break;
    case 2: f.rc = RealCom(s, 1, h, ps, reinterpret_cast<double **>(&f.data), eb, ee); break;
    default: f.rc = ComplexCom(s, 1, h, ps, reinterpret_cast<TmComplex **>(&f.data), eb, ee);
    }
    EXPECT_EQ(f.rc, 0) << src << " [" << f.err_begin << ", " << f.err_end << "]";
    return f;
}

// Compiles and runs with the given arguments (in the formula's own data
// array, which is the argument area).
int64_t run_int(const std::string &src, std::vector<int64_t> args = {}) {
    Formula f = compile(1, src);
    if (f.rc != 0) return 0;
    EXPECT_EQ(size_t(f.params + 1), args.size()) << src;
    auto *data = static_cast<int64_t *>(f.data);
    for (size_t k = 0; k < args.size(); ++k) data[k] = args[k];
    return IntCal(f.handle, data);
}

TmComplex run_complex(const std::string &src, std::vector<TmComplex> args = {}) {
    Formula f = compile(3, src);
    if (f.rc != 0) return {std::nan(""), std::nan("")};
    EXPECT_EQ(size_t(f.params + 1), args.size()) << src;
    auto *data = static_cast<TmComplex *>(f.data);
    for (size_t k = 0; k < args.size(); ++k) data[k] = args[k];
    return ComplexCal(f.handle, data);
}

double run_real(const std::string &src, std::vector<double> args = {}) {
    Formula f = compile(2, src);
    if (f.rc != 0) return std::nan("");
    auto *data = static_cast<double *>(f.data);
    for (size_t k = 0; k < args.size(); ++k) data[k] = args[k];
    return RealCal(f.handle, data);
}

class TypedEvalEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(InitTamrix());
        // Other tests may have replaced the release passes.
        set_release_evaluator(1, release_pass_int);
        set_release_evaluator(3, release_pass_complex);
    }
    void TearDown() override {
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
        FreeTamrix();
    }
    static std::u16string take_error_name(int *type = nullptr) {
        const char16_t *name = nullptr;
        int t = 0;
        GetRunErr(&t, &name, nullptr, nullptr, nullptr);
        if (type) *type = t;
        return name ? name : u"<none>";
    }
};

bool same(TmComplex got, double re, double im) { return got.re == re && got.im == im; }

// --- integer formulas ------------------------------------------------------------------

TEST_F(TypedEvalEndToEnd, IntegerWorkedExamples) {
    EXPECT_EQ(run_int("f(a,b)=a/b", {7, 0}), 7);
    int type = 0;
    EXPECT_EQ(take_error_name(&type), u"Integer division by zero");
    EXPECT_EQ(type, 1);
    EXPECT_EQ(run_int("r(a,b)=a%b", {-7, 3}), -1);
    EXPECT_EQ(run_int("sl(a,b)=shl(a,b)", {1, 64}), 0);
    EXPECT_EQ(run_int("sr(a,b)=shr(a,b)", {-8, 1}), -4);
    EXPECT_EQ(run_int("q(a,b)=a/b", {kMin, -1}), kMin);
    EXPECT_EQ(run_int("m(a,b)=a%b", {kMin, -1}), 0);
    EXPECT_EQ(run_int("ab(a)=abs(a)", {kMin}), kMin);
    EXPECT_EQ(run_int("0x7FFFFFFFFFFFFFFF+1"), kMin);
    EXPECT_EQ(run_int("7%3"), 1);
    EXPECT_EQ(take_error_name(), u"<none>");
}

TEST_F(TypedEvalEndToEnd, IntegerRecursionAndLoops) {
    EXPECT_EQ(run_int("SetIntStackMax(1000)"), 1000);
    EXPECT_EQ(run_int("fact(n)=which(n<=1, 1, n*fact(n-1))", {20}), 2432902008176640000);
    EXPECT_EQ(run_int("f(n : i, s)=(i=0, s=0, while(i<n, s=s+i, i++), s)", {10}), 45);
    EXPECT_EQ(take_error_name(), u"<none>");
    EXPECT_EQ(g_int_stack.top, 1);
}

// --- complex formulas --------------------------------------------------------------------

TEST_F(TypedEvalEndToEnd, ComplexWorkedExamples) {
    EXPECT_TRUE(same(run_complex("(1+2i)*(3+4i)"), -5, 10));
    EXPECT_TRUE(same(run_complex("f(a,b)=a*b", {{1, 2}, {3, 4}}), -5, 10));
    const TmComplex q = run_complex("q(a,b)=a/b", {{1, 2}, {3, 4}});
    EXPECT_NEAR(q.re, 0.44, 1e-15);
    EXPECT_NEAR(q.im, 0.08, 1e-15);
    EXPECT_TRUE(same(run_complex("p(a,b)=a^b", {{0, 0}, {0, 0}}), 0, 0));
    EXPECT_TRUE(same(run_complex("0^0"), 0, 0));
    EXPECT_TRUE(same(run_complex("(3+4i)>(2+9i)"), 1, 4));
    EXPECT_TRUE(same(run_complex("floor(2.5+3i)"), 2, 0));
    EXPECT_TRUE(same(run_complex("x0(2.5+3i)"), 0, 3));
    EXPECT_TRUE(same(run_complex("i*i"), -1, 0));
    EXPECT_EQ(take_error_name(), u"<none>");
}

TEST_F(TypedEvalEndToEnd, ComplexRecursion) {
    EXPECT_TRUE(same(run_complex("SetComplexStackMax(100)"), 100, 0));
    // z^n by recursion on n's real part.
    EXPECT_TRUE(same(run_complex("p(z,n)=which(n<=0, 1, z*p(z,n-1))", {{1, 1}, {8, 0}}), 16, 0));
    EXPECT_EQ(take_error_name(), u"<none>");
    EXPECT_EQ(g_complex_stack.top, 1);
}

// --- calls by name across types ---------------------------------------------------------

TEST_F(TypedEvalEndToEnd, CallsAcrossTypesByName) {
    compile(2, "half(x)=x/2");
    compile(3, "sq(z)=z*z");
    compile(1, "twice(n)=n*2");
    // Conversions between the types are the formula author's.
    EXPECT_EQ(run_int("h(n)=rtoi(half(itor(n)))", {7}), 3);
    // A complex parameter takes two real arguments; the result's real part.
    EXPECT_EQ(run_real("r(a,b)=sq(a,b)", {1, 2}), -3);
    // An integer caller gets the complex result's first 8 bytes.
    EXPECT_EQ(std::bit_cast<double>(run_int("k(a,b)=sq(a,b)",
                                            {std::bit_cast<int64_t>(1.0),
                                             std::bit_cast<int64_t>(2.0)})),
              -3.0);
    // A real or integer callee reads a complex caller's 16-byte slots as
    // 8-byte ones: half(z) sees z's real part, twice(z) its bits.
    EXPECT_TRUE(same(run_complex("c(z)=half(z)", {{5, 9}}), 2.5, 0));
    EXPECT_TRUE(same(run_complex("d(z)=itor(twice(rtoi(z)))", {{21, 9}}), 42, 0));
    EXPECT_EQ(take_error_name(), u"<none>");
}

TEST_F(TypedEvalEndToEnd, ByReferenceArgumentsAcrossTypes) {
    compile(3, "turn(z)=z=z*i");
    Formula r = compile(2, "r(a,b)=turn(&a,&b)");
    ASSERT_EQ(r.rc, 0);
    auto *data = static_cast<double *>(r.data);
    data[0] = 3;
    data[1] = 4;
    EXPECT_EQ(RealCal(r.handle, data), -4);
    EXPECT_EQ(data[0], -4);
    EXPECT_EQ(data[1], 3);
    TmComplex full;
    std::memcpy(&full, g_call_result, sizeof full);
    EXPECT_TRUE(same(full, -4, 3));
}

// --- the release pass ---------------------------------------------------------------------

int64_t g_noted;
int64_t TM_CALL note(int, int64_t *args, TmCallContext *) { return g_noted = args[0]; }

TEST_F(TypedEvalEndToEnd, DeletingAFormulaRunsItsReleasePass) {
    ASSERT_EQ(SetFunction(4, u"note", reinterpret_cast<void *>(&note), 0), 0);
    g_noted = 0;
    Formula f = compile(1, "f(n : static, free)=(if(free, note(n+1)), n)");
    ASSERT_EQ(f.rc, 0);
    EXPECT_EQ(IntCal(f.handle, std::vector<int64_t>{5}.data()), 5);
    EXPECT_EQ(g_noted, 0);
    static_cast<int64_t *>(f.data)[0] = 41;
    DeleteFor(1, f.handle);
    EXPECT_EQ(g_noted, 42);
}

}  // namespace
}  // namespace tmx::test
