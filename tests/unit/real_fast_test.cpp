// The pre-decoded fast form must give exactly the interpreter's results,
// argument write-backs, variable updates and run errors, and must be built for
// every formula the compiler writes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/eval/real_fast.h"
#include "kernel/eval/real_fast_code.h"
#include "kernel/record.h"
#include "tamrix/tamrix.h"

namespace {

class RealFast : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override { FreeTamrix(); }
    int modules_ = 0;

    // Each formula in a module of its own, so names never clash.
    tmx::FormulaRecord *compile(const std::u16string &src) {
        const int module = -(++modules_);
        void *h = nullptr;
        int params = 0, b = 0, e = 0;
        double *data = nullptr;
        int rc = RealCom(src.c_str(), module, &h, &params, &data, &b, &e);
        EXPECT_EQ(rc, 0) << "compile of formula " << src.size() << " chars at " << b << ".." << e;
        return static_cast<tmx::FormulaRecord *>(h);
    }

    struct RunError {
        int type = 0, code = 0;
        std::u16string name;
        bool operator==(const RunError &) const = default;
    };
    static RunError take_run_error() {
        RunError e;
        const char16_t *name = nullptr;
        GetRunErr(&e.type, &name, &e.code, nullptr, nullptr);
        if (name) e.name = name;
        return e;
    }

    // Evaluates once through each form from the same starting state
    // (arguments, data array and string area) and checks every observable
    // agrees: result, arguments, variables, string area and run error.
    void expect_same(const std::u16string &src, std::vector<double> args) {
        tmx::FormulaRecord *r = compile(src);
        ASSERT_NE(r, nullptr);
        ASSERT_NE(r->fast, nullptr) << "expected a fast form";
        const size_t slots = size_t(r->header[tmx::kDataLength]);
        const size_t strings = size_t(r->header[tmx::kCodeStart]);
        auto *data = static_cast<double *>(r->data);
        const std::vector<double> data0(data, data + slots);
        const std::vector<uint8_t> code0(r->code, r->code + strings);

        std::vector<double> fast_args = args;
        double fast = RealCal(r, fast_args.data());
        const RunError fast_error = take_run_error();
        const std::vector<double> fast_data(data, data + slots);
        const std::vector<uint8_t> fast_code(r->code, r->code + strings);

        std::memcpy(data, data0.data(), slots * sizeof(double));
        std::memcpy(r->code, code0.data(), strings);
        tmx::FastCode *saved = r->fast;
        r->fast = nullptr; // the interpreter runs it now
        tmx::choose_real_entry(r);
        std::vector<double> slow_args = args;
        double slow = RealCal(r, slow_args.data());
        r->fast = saved;
        tmx::choose_real_entry(r);
        const RunError slow_error = take_run_error();

        SCOPED_TRACE(std::string(src.begin(), src.end()));
        EXPECT_EQ(std::bit_cast<uint64_t>(fast), std::bit_cast<uint64_t>(slow))
            << fast << " vs " << slow;
        EXPECT_TRUE(fast_error == slow_error) << fast_error.type << " vs " << slow_error.type;
        EXPECT_TRUE(fast_code == std::vector<uint8_t>(r->code, r->code + strings));
        for (size_t i = 0; i < args.size(); ++i)
            EXPECT_EQ(std::bit_cast<uint64_t>(fast_args[i]), std::bit_cast<uint64_t>(slow_args[i]))
                << "argument " << i;
        // Variables and statics (the stack region may differ).
        for (int32_t v = 0; v < r->header[tmx::kVarCount]; ++v)
            EXPECT_EQ(std::bit_cast<uint64_t>(fast_data[v]), std::bit_cast<uint64_t>(data[v]))
                << "variable " << v;
    }
};

TEST_F(RealFast, ArithmeticAndBuiltinsAgreeBitForBit) {
    const char16_t *formulas[] = {
        u"f(a,b,c)=a+1",
        u"f(a,b,c)=(a+b)*(a-b)",
        u"f(a,b,c)=sqrt(a*a+b*b)",
        u"f(a,b,c)=sin(a)^2+cos(a)^2",
        u"f(a,b,c)=a*exp(-b)*sin(a)+c",
        u"f(a,b,c)=((a+b)*c+1)/(a-c*0.5)",
        u"f(a,b,c)=exp(sin(a))+ln(b+1)",
        u"f(a,b,c)=a^b",
        u"f(a,b,c)=(a>b)*a+(a<=b)*b",
        u"f(a,b,c)=a*a*a*a+b*b*b+c*c+1.5*a-2.5*b+3.5*c-4.5",
        u"f(a,b,c)=(a==b)+(a!=c)*2+(a>=c)*4+(a<c)*8+(a&b)*16+(b|0)*32+(!a)*64",
        u"f(a,b,c)=atan2(a,b)+fmod(a,c)+sign(a,-1)+dim(a,b)+atan2(2,a)",
        u"f(a,b,c)=lg(abs(a))+floor(b)+ceil(c)+tan(a)+asin(0.5)+acos(0.25)+atan(b)",
        u"f(a,b,c)=sinh(a)+cosh(b)+tanh(c)+itor(rtoi(a*1000))",
        u"f(a,b,c)=padd(a,3)+padd(b,c)",
        u"f(a,b,c)=(-a)+(-(b*c))+(-c)",
        u"f(a,b,c)=a/0+b^0.5+(-1)^c",
    };
    const double values[][3] = {{1.5, 2.25, -3.75}, {0, 0, 0}, {-7.5, 3, 0.125},
                                {1e300, -1e-300, 2}, {NAN, 1, INFINITY}};
    for (const char16_t *f : formulas)
        for (const auto &v : values) expect_same(f, {v[0], v[1], v[2]});
}

TEST_F(RealFast, StoresIncrementsAndCommaListsAgree) {
    const char16_t *formulas[] = {
        u"f(a,b:x,y)=(x=a*2, y=x+b, x*y)",
        u"f(a,b:x)=(a=a+1, b=b*3, a+b)",            // parameters written back
        u"f(a,b:x)=(x=a, x++, ++x, x--, --x, a++, ++b, (b--)*2+a)",
        u"f(a:x,static,s)=(s=s+a, s++, s)",         // statics persist in the data array
        u"f(a::m,common,g)=(m=a, g=m*2, m++, ++g, m+g)", // shared cells
        u"f(a,b)=(a, b, a+b, (a*b, b-a))",
        u"f(a,b)=(return(a*2), b)",                 // a return in the middle
        u"f(a)=(a=3)",
    };
    for (const char16_t *f : formulas) expect_same(f, {2.5, -4});
}

TEST_F(RealFast, ControlFlowCallsAndStringAccessAgree) {
    tmx::FormulaRecord *set = compile(u"SetRealStackMax(1000)");
    EXPECT_EQ(RealCal(set, nullptr), 1000);
    void *h = nullptr; // called below, so public
    int p, b, e;
    double *d;
    ASSERT_EQ(RealCom(u"ifib(n)=(n<2)*n+(n>=2)*(ifib(n-1)+ifib(n-2))", 7, &h, &p, &d, &b, &e), 0);
    const char16_t *formulas[] = {
        u"f(a,b:i,s)=(i=0, s=0, while(i<a, s=s+i*b, i++), s)",
        u"f(a,b:i,s)=(i=0, s=0, until(s=s+b, i++, i>=a), s+i)",
        u"f(a,b:i,s)=(i=0, s=0, while(1, i++, if(i>a, break()), if(fmod(i, 2), continue()), s=s+i), s)",
        u"f(a,b:i,s)=(i=0, s=0, until(i++, if(i<3, continue()), s=s+i, i>a), s)",
        u"f(a,b:i)=(i=0, 10*while(1, i++, if(i>a, break())) + 100*until(i--, if(i<0, break()), 0) + i)",
        u"f(a,b:i,j,s)=(s=0, i=0, while(i<a, j=0, while(j<i, s=s+j, j++), i++), s)",
        u"f(a,b)=which(a>b, a, a<b, b, -1) + which(a, 1, b, 2)",
        u"f(a,b)=if(a>b, a=a+b) + if(a<=b, b=b-a, b=b*2) + b",
        u"f(a,b:x)=(x=a, (x>b)+while(x>0, x=x-1), x)",
        // Comparisons with a constant fuse with the test that follows them.
        u"f(a,b:i,s)=(i=0, s=0, while(i<7, s=s+i, i++), if(s>=21, s=-s), if(a<=0, s=s*2),"
        u" which(s+21==0, 1, s+42!=0, 2, a>3, 3, 4) + s + until(i--, i>2))",
        u"fib(n)=which(n<2, n, fib(n-1)+fib(n-2))",
        u"fact(n)=which(n<=1, 1, n*fact(n-1))",
        u"f(a,b)=ifib(a)+ifib(b)",
        u"f(a,b:x)=(x=a, SetRealStackMax(1000)+x)",
        u"f(a,b)=getc(1)+getw(1)+setc(1, 65)+getc(1)+setn(1, a)+getn(1)",
        u"f(a,b)=getc(0)+setw(-1, b)",       // bad indices: run errors, first one wins
        u"f(a,b:i)=(i=0, while(i<3, getc(0), i++), i)",
        u"f(a,b)=which(a>100, 1)",            // no branch: run error "which"
    };
    const double values[][2] = {{5, 2.5}, {0, 1}, {-3, 7}, {10, 10}, {-0.0, 1e300}};
    for (const char16_t *f : formulas)
        for (const auto &v : values) expect_same(f, {v[0], v[1]});
}

// Straight-line formulas start on smaller runners straight from RealCal
// (with the native tier off, nothing else takes them): one- and two-step
// ones on a switch, fused argument/constant pairs, and a runner without
// library calls.  Each must agree with the interpreter, including -0, NaN
// and infinities, and a pair must never swallow a push a jump lands on.
TEST_F(RealFast, StraightLineRunnersAgree) {
    FreeTamrix();
    setenv("TAMRIX_JIT", "0", 1);
    ASSERT_TRUE(InitTamrix());
    unsetenv("TAMRIX_JIT");
    struct Case {
        const char16_t *formula;
        bool short_form, leaf, straight;
    };
    const Case cases[] = {
        {u"f(a,b)=7", true, true, true},
        {u"f(a,b)=b", true, true, true},
        {u"f(a,b)=a+1", true, true, true},
        {u"f(a,b)=a-b", true, true, true},
        {u"f(a,b)=2/a", true, true, true},
        {u"f(a,b)=a*b", true, true, true},
        {u"f(a,b)=-a", true, true, true},
        {u"f(a,b)=sqrt(b)", true, false, true},
        {u"f(a,b)=a^b", true, false, true},
        {u"f(a,b)=atan2(b,2)", true, false, true},
        {u"f(a,b::m,common,g)=a*g", true, true, true},       // shared cell operand
        {u"f(a,b:x,static,s)=s-b", true, true, true},        // static operand
        {u"f(a,b)=(a>b)*a+(a<=b)*b", false, true, true},
        {u"f(a,b)=a*a*a-2.5*b/a+b*3-(1-a)", false, true, true},
        {u"f(a,b:x)=(x=a*b, x++, x/b)", false, true, true},
        {u"f(a,b)=sin(a*b)+b", false, false, true},
        {u"f(a,b)=which(a, b*a, a-1)", false, false, false}, // pushes after landings
        {u"f(a,b)=if(a>b, a*b, b+1)+a/b", false, false, false},
        // A pair feeding the operation after it (every outer and inner
        // operation, each pair form), rounded in two steps like the byte code.
        {u"f(a,b)=a+a*b-b/a*(a+2)/(3-b)+(b-a)*(a-b)/(0.5*b)-a/3+1/b", false, true, true},
        {u"f(a,b)=(b*(a+b))-(b+(b-1))*(a/(a*b))/(b-(2*a))", false, true, true},
        // An operation with a constant or argument feeding the next one.
        {u"f(a,b)=(a>b)*a+(a<=b)*b-a*a*b/(b-a-1)*(a+b/3)-(b+a*2)/(a-3)", false, true, true},
        // A `which` branch ending in a pair: its end step stands between the
        // pair and the operation the branch feeds, so they never fuse.
        {u"f(a,b)=b-which(a, 2, a*b)", false, false, false},
    };
    const double values[][2] = {{1.5, -2.25}, {0, -0.0}, {-0.0, 0}, {NAN, 1}, {INFINITY, 1e-310}};
    for (const Case &c : cases) {
        tmx::FormulaRecord *r = compile(c.formula);
        ASSERT_NE(r, nullptr);
        ASSERT_NE(r->fast, nullptr);
        SCOPED_TRACE(std::string(c.formula, c.formula + std::char_traits<char16_t>::length(c.formula)));
        EXPECT_EQ(r->fast->straight, c.straight);
        EXPECT_EQ(r->fast->leaf, c.leaf);
        EXPECT_EQ(r->fast->short_form, c.short_form);
        for (const auto &v : values) expect_same(c.formula, {v[0], v[1]});
    }
}

TEST_F(RealFast, EveryFormulaTheCompilerWritesGetsTheFastForm) {
    const char16_t *formulas[] = {
        u"f1(x)=x*2+1",
        u"2+3", // folded to one constant
        u"f2(x)=if(x, x=1)",
        u"f3(x)=which(x, 1, 2)",
        u"f4(x)=(while(x, x=x-1), x)",
        u"f5(x)=f5(x)+1",
        u"f6(x)=SetRealStackMax(x)",
        u"f7(x)=getc(1)",
        u"f8(x)=setc(1, x)",
        u"f9(x)=until(x++, break(), continue(), x)",
        u"f10(x)=(return(x), while(x, x++))",
    };
    for (const char16_t *f : formulas) EXPECT_NE(compile(f)->fast, nullptr) << std::string(f, f + 3);
}

TEST_F(RealFast, CallsIntoStraightLineFormulasUseIt) {
    void *h = nullptr;
    int p, b, e;
    double *d;
    ASSERT_EQ(RealCom(u"sq(x)=x*x", 1, &h, &p, &d, &b, &e), 0);
    h = nullptr; // on entry the handle argument holds a lock function
    ASSERT_EQ(RealCom(u"inc(x)=(x=x+1)", 1, &h, &p, &d, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(RealCom(u"g(a:t)=(t=a, inc(&t), sq(t)+t)", 1, &h, &p, &d, &b, &e), 0);
    auto *caller = static_cast<tmx::FormulaRecord *>(h);
    double a = 3;
    EXPECT_EQ(RealCal(caller, &a), 20); // t becomes 4 by reference: 16 + 4
}

TEST_F(RealFast, StackOverflowInRecursionEndsOnlyTheFailingCall) {
    tmx::FormulaRecord *set = compile(u"SetRealStackMax(1000)");
    EXPECT_EQ(RealCal(set, nullptr), 1000);
    tmx::FormulaRecord *fact = compile(u"fact(n)=which(n<=1, 1, n*fact(n-1))");
    ASSERT_NE(fact, nullptr);
    double n = 10;
    EXPECT_EQ(RealCal(fact, &n), 3628800);
    EXPECT_EQ(TestRunErr(), 0);
    // 1000 slots hold a few hundred levels: the deepest call fails with 0.
    n = 5000;
    EXPECT_EQ(RealCal(fact, &n), 0);
    int type = 0, code = -1;
    const char16_t *name = nullptr;
    GetRunErr(&type, &name, &code, nullptr, nullptr);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(std::u16string(name ? name : u""), u"StackOverFlow");
    EXPECT_EQ(fact->code[0], 0) << "the activation flag is idle again";
}

TEST_F(RealFast, NullArgumentsUseTheArgumentArea) {
    tmx::FormulaRecord *r = compile(u"f(a,b)=a*10+b");
    auto *data = static_cast<double *>(r->data);
    data[0] = 4;
    data[1] = 2;
    EXPECT_EQ(RealCal(r, nullptr), 42);
}

}  // namespace
