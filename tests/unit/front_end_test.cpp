// The compile front end and the kernel's lifecycle: grow-and-restart, the
// order of InitTamrix and compiles, module locks, outputs on every path.
#include <gtest/gtest.h>

#include <string>

#include "kernel/record.h"
#include "kernel/work_buffers.h"
#include "formula_support.h"
#include "tamrix/tamrix.h"

namespace {

using tmx::test::Compiled;

// Real formulas, the front end's common case.
Compiled compile(const std::u16string &src, int module = 1, void *lock = nullptr) {
    return tmx::test::compile(2, src, module, lock);
}

double run(const std::u16string &src, double *args = nullptr) {
    Compiled c = compile(src);
    EXPECT_EQ(c.status, 0) << "at " << c.err_begin << ".." << c.err_end;
    if (c.status != 0) return -1;
    return RealCal(c.handle, args ? args : c.reals());
}

class FrontEnd : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override { FreeTamrix(); }
};

std::u16string repeat(const std::u16string &s, int n) {
    std::u16string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST_F(FrontEnd, LongSourcesCompileAfterSilentRestarts) {
    // 2000 additions of a parameter: tokens, code bytes and operands all
    // outgrow their initial buffers several times.
    std::u16string src = u"f(x)=x" + repeat(u"+x", 2000);
    double x = 1.5;
    EXPECT_EQ(run(src, &x), 1.5 * 2001);
    EXPECT_GT(tmx::g_work.token_capacity, 30);
    EXPECT_GT(tmx::g_work.code_capacity, 30);
}

TEST_F(FrontEnd, ManyConstantsGrowTheDataBuffer) {
    // x*k for k = 1..500: every constant keeps its own slot (nothing folds).
    std::u16string src = u"g(x)=0";
    double expect = 0;
    for (int k = 1; k <= 500; ++k) {
        src += u"+x*" + std::u16string(std::u16string::size_type(1), u'0' + k % 10);
        expect += 2.0 * (k % 10);
    }
    double x = 2;
    EXPECT_EQ(run(src, &x), expect);
    EXPECT_GT(tmx::g_work.real_capacity, 30);
}

TEST_F(FrontEnd, DeepNestingGrowsTheCompileStacks) {
    const int depth = 20000;
    std::u16string src = u"h(x)=" + repeat(u"(", depth) + u"x+1" + repeat(u")", depth);
    double x = 41;
    EXPECT_EQ(run(src, &x), 42);
    EXPECT_GT(tmx::g_work.bracket_stack_capacity, 30);
}

TEST_F(FrontEnd, DeepControlNestingGrowsTheControlStack) {
    // 300 nested ifs, each taking the branch: the innermost stores 7.
    const int depth = 300;
    std::u16string src = u"k(x)=(" + repeat(u"if(1,", depth) + u"x=7" + repeat(u")", depth) +
                         u",x)";
    double x = 0;
    EXPECT_EQ(run(src, &x), 7);
}

TEST_F(FrontEnd, ManyStringsGrowTheCodeArray) {
    std::u16string src = u"s(x)=x";
    for (int i = 0; i < 200; ++i) src += u"+0*\"string number " + std::u16string(1, u'a' + i % 26) + u"\"";
    double x = 3;
    EXPECT_EQ(run(src, &x), 3);
}

TEST_F(FrontEnd, OutputsOnSuccess) {
    Compiled c = compile(u"f(x,y:a,b)=x+y");
    ASSERT_EQ(c.status, 0);
    EXPECT_EQ(c.params, 1);
    ASSERT_NE(c.reals(), nullptr);
    EXPECT_EQ(c.err_begin, -100) << "error positions are untouched on success";
    auto *r = static_cast<tmx::FormulaRecord *>(c.handle);
    EXPECT_EQ(r->data, c.reals());
    c.reals()[0] = 2;
    c.reals()[1] = 5;
    EXPECT_EQ(RealCal(c.handle, c.reals()), 7);
}

TEST_F(FrontEnd, CompileErrorSetsTheRangeAndCreatesNothing) {
    Compiled c = compile(u"f(x)=x+");
    EXPECT_NE(c.status, 0);
    EXPECT_EQ(c.handle, nullptr);
    EXPECT_GE(c.err_begin, 0);
    EXPECT_LE(c.err_begin, c.err_end);
    // The name was not registered: compiling it again works.
    EXPECT_EQ(compile(u"f(x)=x").status, 0);
}

TEST_F(FrontEnd, NullAndEmptySources) {
    void *h = nullptr;
    int p, b, e;
    double *d;
    EXPECT_EQ(RealCom(nullptr, 1, &h, &p, &d, &b, &e), 3);
    EXPECT_EQ(compile(u"").status, 3);
    EXPECT_EQ(compile(u"   ").status, 3);
    // Output pointers may be null.
    EXPECT_EQ(RealCom(u"1+1", 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(FrontEnd, SameNameInTwoPrivateModules) {
    Compiled a = compile(u"f(x)=x+1", -1);
    Compiled b = compile(u"f(x)=x+2", -2);
    ASSERT_EQ(a.status, 0);
    ASSERT_EQ(b.status, 0);
    // Each module's caller finds its own f.
    Compiled ca = compile(u"f(1)", -1);
    Compiled cb = compile(u"f(1)", -2);
    ASSERT_EQ(ca.status, 0);
    ASSERT_EQ(cb.status, 0);
    EXPECT_EQ(RealCal(ca.handle, ca.reals()), 2);
    EXPECT_EQ(RealCal(cb.handle, cb.reals()), 3);
    // Same name in the same module of any sign: error 29.
    EXPECT_EQ(compile(u"f(y)=y", 1).status, 29);
}

int g_lock_calls = 0;
void count_lock() { ++g_lock_calls; }

TEST_F(FrontEnd, LockFunctionOfAnUnlockedModuleIsCalledOnce) {
    g_lock_calls = 0;
    Compiled c = compile(u"1+2", 5, reinterpret_cast<void *>(&count_lock));
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(g_lock_calls, 1);
}

TEST(Lifecycle, CompileBeforeInitFindsOnlyFirstLevelBuiltins) {
    FreeTamrix();
    Compiled c = compile(u"sin(0)+1");
    ASSERT_EQ(c.status, 0);
    EXPECT_EQ(RealCal(c.handle, c.reals()), 1);
    // Registered built-ins come with InitTamrix.
    EXPECT_EQ(compile(u"SetRealStackMax(100)").status, 25);
    FreeTamrix();
}

TEST(Lifecycle, InitTwiceKeepsOneCopyOfEachBuiltin) {
    ASSERT_TRUE(InitTamrix());
    ASSERT_TRUE(InitTamrix());
    EXPECT_EQ(SetFunction(5, u"SetRealStackMax", reinterpret_cast<void *>(&count_lock), 0), 1);
    Compiled c = compile(u"SetRealStackMax(3)");
    ASSERT_EQ(c.status, 0);
    EXPECT_EQ(RealCal(c.handle, c.reals()), 10);
    FreeTamrix();
    FreeTamrix(); // a second free is harmless
}

TEST(Lifecycle, VersionText) {
    std::u16string v = TamrixVer();
    EXPECT_EQ(v.rfind(u"TAMRIX32W.DLL V9.0 正式版", 0), 0u);
}

TEST_F(FrontEnd, RecursionDeeperThanTheNativeStackEndsWithStackOverflow) {
    ASSERT_EQ(run(u"SetRealStackMax(200000000)"), 200000000);
    Compiled f = compile(u"down(n)=which(n<=0, 0, down(n-1)+1)");
    ASSERT_EQ(f.status, 0);
    Compiled top = compile(u"down(5000000)");
    ASSERT_EQ(top.status, 0);
    double r = RealCal(top.handle, top.reals());
    int type = 0, code = -1, ftype = 0;
    const char16_t *name = nullptr;
    void *h = nullptr;
    GetRunErr(&type, &name, &code, &ftype, &h);
    EXPECT_EQ(type, 2);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::u16string(name), u"StackOverFlow");
    EXPECT_EQ(code, 0);
    // The failing level returned 0 and every level above added its 1.
    EXPECT_GT(r, 1000);
    EXPECT_LT(r, 5000000);
    // The kernel is still usable afterwards.
    EXPECT_EQ(run(u"down(10)"), 10);
}

}  // namespace

namespace {

// A formula without variables or constants has no slot below its stack; a
// return on an empty stack (a continue while an error is pending) must not
// read before the data array.
TEST_F(FrontEnd, ReturnOnAnEmptyStackStaysInsideTheDataArray) {
    Compiled c = compile(u"until(continue(), continue())");
    ASSERT_EQ(c.status, 0);
    SetRunErr(7, u"pending", 0, 0, nullptr);
    EXPECT_EQ(RealCal(c.handle, c.reals()), 0);
    int type, code, ftype;
    const char16_t *name;
    void *h;
    GetRunErr(&type, &name, &code, &ftype, &h);
    EXPECT_EQ(type, 7);
    void *ih = nullptr;
    int p, b, e;
    int64_t *idata;
    ASSERT_EQ(IntCom(u"until(continue(), continue())", 2, &ih, &p, &idata, &b, &e), 0);
    SetRunErr(7, u"pending", 0, 0, nullptr);
    EXPECT_EQ(IntCal(ih, idata), 0);
    GetRunErr(&type, &name, &code, &ftype, &h);
}

}  // namespace
