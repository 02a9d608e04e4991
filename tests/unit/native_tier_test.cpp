// The native-code tier must give exactly the interpreter's results, argument
// write-backs and variable updates on every value (NaN, infinities, signed
// zeros, huge and tiny), compile only what it takes, after the number of
// evaluations it is set to, and never when it is off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "limits_support.h"
#include "native_tier_fixture.h"

namespace {

using namespace tmx::native_test;

TEST_F(NativeTier, OperatorsAndBuiltinsAgreeBitForBit) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    const char16_t *formulas[] = {
        u"f(a,b,c)=a+1",
        // Two NaNs: the result keeps the one the interpreter's code keeps.
        u"f(a,b,c)=a+b", u"f(a,b,c)=a*b", u"f(a,b,c)=a-b", u"f(a,b,c)=a/b",
        u"f(a,b,c)=a+0/0", u"f(a,b,c)=(b*(0/0))", u"f(a,b,c)=(c+2.5)*(a*0.5)",
        // A comparison tested by if, which or while branches on its flags.
        u"f(a,b,c)=which(a<b, 1, a<=b, 2, a==b, 4, a!=c, 8, 16)+if(a>b, 32)+if(b>=c, 64)",
        u"f(a,b,c:i)=(i=0, while(i<fmod(abs(a),4), i++), i+(if(b!=c, 7)==7)*10)",
        u"f(a,b,c)=(a+b)*(a-b)/c",
        u"f(a,b,c)=sqrt(a*a+b*b)+return(c)",
        u"f(a,b,c)=sin(a)^2+cos(a)^2+a^b+c^0.5",
        u"f(a,b,c)=a*exp(-b)*sin(a)+c",
        u"f(a,b,c)=exp(sin(a))+ln(b+1)+lg(c)",
        u"f(a,b,c)=a*b+c",  // no fused multiply-add
        u"f(a,b,c)=(a>b)+(a>=b)*2+(a<b)*4+(a<=b)*8+(a==b)*16+(a!=b)*32",
        u"f(a,b,c)=(a&b)+(a|c)*2+(!a)*4+(!(b&c))*8",
        u"f(a,b,c)=atan2(a,b)+fmod(a,c)+sign(a,b)+dim(a,c)",
        u"f(a,b,c)=tan(a)+asin(b)+acos(c)+atan(a)+sinh(b)+cosh(c)+tanh(a)",
        u"f(a,b,c)=abs(a)+floor(b)+ceil(c)-(-a)",
        u"f(a,b,c)=itor(rtoi(a))+itor(b)+rtoi(c)",
        u"f(a,b,c)=padd(a,b)+padd(c,3)",
        u"f(a,b,c)=-abs(a)",
        u"f(a,b,c)=a*a*a*a+b*b*b+c*c+1.5*a-2.5*b+3.5*c-4.5",
    };
    for (const char16_t *f : formulas)
        for (const auto &v : kValues) expect_same(f, {v[0], v[1], v[2]});
}

TEST_F(NativeTier, StoresIncrementsCommaListsAndCellsAgree) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    const char16_t *formulas[] = {
        u"f(a,b:x,y)=(x=a*2, y=x+b, x*y)",
        u"f(a,b:x)=(a=a+1, b=b*3, a+b)",  // parameters written back
        u"f(a,b:x)=(x=a, x++, ++x, x--, --x, a++, ++b, (b--)*2+a)",
        u"f(a:x,static,s)=(s=s+a, s++, s)",  // statics live in the data array
        u"f(a::m,common,g)=(m=a, g=m*2, m++, ++g, --m, g--, m+g)",
        u"f(a,b)=(a, b, a+b, (a*b, b-a))",
        u"f(a,b)=(return(a*2), b)",
        u"f(a)=(a=3)",
    };
    for (const char16_t *f : formulas)
        for (const auto &v : kValues) expect_same(f, {v[0], v[1]});
}

TEST_F(NativeTier, FormulasOutsideTheTierStayInterpreted) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    struct Case {
        const char16_t *src;
        double result;
    } cases[] = {
        {u"g5(x)=getc(2)", 103},  // the "g" of the name
        {u"g6(x)=(setc(2, 104), getc(2))", 104},
    };
    for (const Case &c : cases) {
        tmx::FormulaRecord *r = compile(c.src);
        double x = 2;
        EXPECT_EQ(RealCal(r, &x), c.result);
        EXPECT_EQ(r->jit, nullptr);
        EXPECT_EQ(r->jit_countdown, 0u) << "one attempt only";
    }
}

TEST_F(NativeTier, CompilesAfterTheThresholdAndNeverWhenOff) {
    struct Case {
        const char *threshold, *jit;
        int evaluations;
        bool compiled;
    } cases[] = {
        {"0", nullptr, 1, true},   {"3", nullptr, 3, false}, {"3", nullptr, 4, true},
        {"3", "0", 50, false},     {"x", nullptr, 3, false}, // a bad count keeps the default
        {"99999999999", nullptr, 5, false},                  // clamped, never reached
    };
    for (const Case &c : cases) {
        FreeTamrix();
        start(c.threshold, c.jit);
        tmx::FormulaRecord *r = compile(u"h(x)=x*2+1");
        double x = 4;
        for (int i = 0; i < c.evaluations; ++i) EXPECT_EQ(RealCal(r, &x), 9);
        EXPECT_EQ(r->jit != nullptr, c.compiled && have_tier_)
            << "threshold " << c.threshold << ", " << c.evaluations << " evaluations";
    }
}

TEST_F(NativeTier, InterpretedCallersAndHostsWithoutArgumentsUseIt) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    void *h = nullptr;
    int p, b, e;
    double *d;
    ASSERT_EQ(RealCom(u"sq(x)=x*x", 1, &h, &p, &d, &b, &e), 0);
    auto *sq = static_cast<tmx::FormulaRecord *>(h);
    h = nullptr;
    ASSERT_EQ(RealCom(u"inc(x)=(x=x+1)", 1, &h, &p, &d, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(RealCom(u"g(a:t)=(t=a, inc(&t), sq(t)+t)", 1, &h, &p, &d, &b, &e), 0);
    double a = 3;
    EXPECT_EQ(RealCal(h, &a), 20);  // t becomes 4 by reference: 16 + 4
    EXPECT_NE(sq->jit, nullptr);

    // No argument array: the parameters are read from the argument area.
    tmx::FormulaRecord *r = compile(u"f(a,b)=a*10+b");
    static_cast<double *>(r->data)[0] = 4;
    static_cast<double *>(r->data)[1] = 2;
    EXPECT_EQ(RealCal(r, nullptr), 42);
    EXPECT_NE(r->jit, nullptr);
}

TEST_F(NativeTier, DeletingACompiledCalleeInvalidatesItsCallers) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    void *callee = nullptr, *caller = nullptr;
    int p, b, e;
    double *d;
    ASSERT_EQ(RealCom(u"cube(x)=x*x", 1, &callee, &p, &d, &b, &e), 0);
    ASSERT_EQ(RealCom(u"use(a)=cube(a)+1", 1, &caller, &p, &d, &b, &e), 0);
    double a = 3;
    EXPECT_EQ(RealCal(caller, &a), 10);
    EXPECT_NE(static_cast<tmx::FormulaRecord *>(callee)->jit, nullptr);
    EXPECT_NE(static_cast<tmx::FormulaRecord *>(caller)->jit, nullptr);  // it calls

    DeleteFor(2, callee);
    EXPECT_EQ(RealCal(caller, &a), 0);
    int type = 0, code = 0, formula_type = 0;
    const char16_t *name = nullptr;
    void *formula = nullptr;
    GetRunErr(&type, &name, &code, &formula_type, &formula);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(formula, caller);

    // A new formula of the same name gets code of its own; the old caller
    // stays invalid until it is compiled again.
    callee = nullptr;
    ASSERT_EQ(RealCom(u"cube(x)=x*x*x", 1, &callee, &p, &d, &b, &e), 0);
    EXPECT_EQ(RealCal(callee, &a), 27);
    EXPECT_NE(static_cast<tmx::FormulaRecord *>(callee)->jit, nullptr);
    EXPECT_EQ(RealCal(caller, &a), 0);
    EXPECT_EQ(TestRunErr(), 4);
    GetRunErr(&type, &name, &code, &formula_type, &formula);
    DeleteFor(2, caller);
    caller = nullptr;
    ASSERT_EQ(RealCom(u"use(a)=cube(a)+1", 1, &caller, &p, &d, &b, &e), 0);
    EXPECT_EQ(RealCal(caller, &a), 28);
    EXPECT_NE(static_cast<tmx::FormulaRecord *>(caller)->jit, nullptr);
}

TEST_F(NativeTier, CodeIsReleasedWithItsFormulaAndAtFreeTamrix) {
    // Leaks show in the sanitizer build: formulas deleted one by one, and
    // the rest left to FreeTamrix.
    for (int i = 0; i < 300; ++i) {
        tmx::FormulaRecord *r = compile(u"k(x)=x*x-" + std::u16string(1, char16_t(u'0' + i % 10)));
        double x = 3;
        EXPECT_EQ(RealCal(r, &x), 9 - i % 10);
        if (i % 2) DeleteFor(2, r);
    }
}

TEST_F(NativeTier, BranchesAndLoopsAgree) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    const char16_t *formulas[] = {
        u"f(a,b)=if(a>b, a-b)",
        u"f(a,b)=if(a, b)+if(!a, -b)*2",
        u"f(a,b)=which(a>b, a, a<b, b, 0.5)",
        u"f(a,b)=which(a>b, a, a<b, b)",  // neither: run error "which"
        u"f(a,b)=(a>0)+which(a, 1, 2)*which(b, -0, 4)",
        u"f(a,b:i,s)=(i=0, s=0, while(i<5, s=s+a*i, i++), s)",
        u"f(a,b:i,s)=(i=0, s=b, until(s=s*0.5+a, (i=i+1)>=4), s+i)",
        u"f(a,b:i,s)=(i=0, s=0, while(i<8, i++, if(i==3, continue()), if(i==6, break()), s=s+i*a), s+i)",
        u"f(a,b:i,s)=(i=0, s=0, until(i++, if(i>4, break()), s=s-b, i>9), s*i)",
        u"f(a,b:i,j,s)=(s=0, i=0, while(i<3, j=0, while(j<3, s=s+i*j+b, j++), i++), s)",
        u"f(a,b:i)=(i=0, while(i<3, a=a*2+b, i++))",  // the loop's own value
        u"f(a,b:i)=(i=0, until(a=a-1, (i=i+1)>2))+a",
    };
    for (const char16_t *f : formulas)
        for (const auto &v : kValues) expect_same(f, {v[0], v[1]});
}

// Callers, callees and recursion in one module; native callers reach their
// callees through the interpreter's call path.
TEST_F(NativeTier, CallsWriteBackAndRecursionAgree) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    const char16_t *callees[] = {
        u"tw(x)=x*2+1",
        u"inc(x)=(x=x+1)",
        u"down(n:s)=(s=0, while(n>0, s=s+down(n-1)*0.5+n, n--), s)",
    };
    tmx::FormulaRecord *fib = compile_in(7, u"fib(n)=which(n<2, n, fib(n-1)+fib(n-2))");
    for (const char16_t *c : callees) compile_in(7, c);
    const char16_t *formulas[] = {
        u"f(a,b:t)=(t=a, inc(&t), tw(t)+t)",
        u"f(a,b)=(inc(&a), inc(&b), a*b)",
        u"f(a,b)=fib(12)+fib(fmod(abs(floor(a)), 8))",
        u"f(a,b)=down(4)+b",
        u"f(a,b:i,s)=(i=0, s=0, while(i<4, s=s+tw(s*a), i++), s)",
        u"f(a,b)=SetRealStackMax(2000)+a",  // an external function
    };
    for (const char16_t *f : formulas) {
        tmx::FormulaRecord *r = compile_in(7, f);
        for (const auto &v : kValues) expect_same(r, f, {v[0], v[1]});
        DeleteFor(2, r);
    }
    // Recursion from the top: a native fib's calls of itself run nested.
    for (double n : {0.0, 1.0, 15.0, 15.5, -3.0, kNaN}) expect_same(fib, u"fib", {n, 0});
}

TEST_F(NativeTier, CalleeDeletedWhileANativeCallerRunsIsARunError) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    g_victim = compile_in(8, u"victim(x)=x+1");
    ASSERT_EQ(SetFunction(5, u"kill", reinterpret_cast<void *>(&kill_victim), 0), 0);
    tmx::FormulaRecord *caller = compile_in(8, u"c(a)=(victim(a), kill(0), victim(a)+5)");
    double a = 1;
    // The second call finds its callee gone: 0 in its place, as interpreted.
    EXPECT_EQ(RealCal(caller, &a), 5);
    EXPECT_NE(caller->jit, nullptr);
    EXPECT_EQ(caller->code[0], tmx::kIdle);
    const RunError e = take_error();
    EXPECT_EQ(e.type, 4);
    EXPECT_EQ(e.formula, caller);
    EXPECT_EQ(RealCal(caller, &a), 0);  // and it stays invalid
    EXPECT_EQ(take_error().type, 4);
}

// sum walks a grid through the line form, which writes only the first
// parameter; a formula assigning another one is walked through the batch
// form.  Either is released with its formula.
TEST_F(NativeTier, BatchAndLineFormsAreReleasedWithTheirFormula) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    const struct {
        const char16_t *formula;
        double sum;
        bool line;
    } cases[] = {
        {u"bf(x,y)=(x=x*1, x*y+1)", 2125, true},
        {u"bf(x,y)=(y++, x*y+1)", 2575, false},
    };
    for (const auto &c : cases) {
        size_t before = 0;
        for (int i = 0; i < 100; ++i) {
            tmx::FormulaRecord *f = compile_in(11, c.formula);
            tmx::FormulaRecord *walk = compile_in(11, u"sum(\"bf\", 0, 9, 1, 0, 9, 1)");
            EXPECT_EQ(RealCal(walk, nullptr), c.sum) << "line form: " << c.line;
            EXPECT_EQ(f->jit_line != nullptr, c.line);
            EXPECT_EQ(f->jit_batch != nullptr, !c.line);
            DeleteFor(2, walk);
            DeleteFor(2, f);
            if (i == 0) before = tmx::jit_code_bytes();
            EXPECT_EQ(tmx::jit_code_bytes(), before) << "after " << i + 1 << " rounds";
        }
    }
}

TEST_F(NativeTier, AnotherThreadInterruptsACompiledEndlessLoop) {
    if (!have_tier_) GTEST_SKIP() << "no native tier on this machine";
    tmx::limits_test::register_running();
    const char16_t *loops[] = {
        u"e1(x)=(running(), while(1, x=x+1))",
        u"e2(x)=(running(), until(x=x+1, 0))",
        u"e3(x)=(running(), while(1, x++, continue()))",
        u"e4(x)=while(1, running())",
    };
    for (const char16_t *src : loops) {
        tmx::FormulaRecord *r = compile_in(9, src);
        double x = 0;
        {
            tmx::limits_test::Interrupter stopper;
            RealCal(r, &x);
            EXPECT_TRUE(stopper.interrupted_a_running_loop());
        }
        EXPECT_NE(r->jit, nullptr);
        EXPECT_EQ(r->code[0], tmx::kIdle);
        EXPECT_EQ(take_error().type, tmx::limits_test::kInterruptType);
    }
}

}  // namespace
