// The registered built-ins "max", "min", "modf", "const" and "GetCalByte",
// through compiled formulas and by direct calls for the argument cases no
// compiler produces.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "builtins_fixture.h"
#include "kernel/builtins/builtins.h"
#include "kernel/eval/value_stacks.h"

namespace tmx::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// --- max / min ----------------------------------------------------------------

using MaxMin = BuiltinsTest;

TEST_F(MaxMin, LargestAndSmallestOfAnyCount) {
    EXPECT_EQ(real("max(3, 7, 7)"), 7);
    EXPECT_EQ(real("min(4, -2, 9, -2)"), -2);
    EXPECT_EQ(real("max(5)"), 5);
    EXPECT_EQ(integer("max(3, 7, 7)"), 7);
    EXPECT_EQ(integer("min(4, -2, 9)"), -2);
    EXPECT_EQ(take_run_error().type, 0);

    int64_t ints[] = {0, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()};
    EXPECT_EQ(builtin_max_int(2, ints, nullptr), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(builtin_min_int(2, ints, nullptr), std::numeric_limits<int64_t>::min());
}

TEST_F(MaxMin, TiesKeepTheEarliest) {
    double zeros[] = {-0.0, 0.0};
    EXPECT_TRUE(std::signbit(builtin_max_real(1, zeros, nullptr)));
    double zeros_swapped[] = {0.0, -0.0};
    EXPECT_FALSE(std::signbit(builtin_min_real(1, zeros_swapped, nullptr)));
}

TEST_F(MaxMin, NaNFirstStaysLaterNaNsAreSkipped) {
    double first[] = {kNaN, 1, 2};
    EXPECT_TRUE(std::isnan(builtin_max_real(2, first, nullptr)));
    EXPECT_TRUE(std::isnan(builtin_min_real(2, first, nullptr)));
    double later[] = {1, kNaN, 3, kNaN};
    EXPECT_EQ(builtin_max_real(3, later, nullptr), 3);
    EXPECT_EQ(builtin_min_real(3, later, nullptr), 1);
    double infinities[] = {-kInf, kInf};
    EXPECT_EQ(builtin_max_real(1, infinities, nullptr), kInf);
}

TEST_F(MaxMin, NoArgumentsRecordsCodeOneWithTheCaller) {
    Compiled r = ok(2, "max()");
    EXPECT_EQ(RealCal(r.handle, r.reals()), 0);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.name_text(), u"max");
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.formula_type, 2);
    EXPECT_EQ(e.formula, r.handle);

    Compiled i = ok(1, "min()");
    EXPECT_EQ(IntCal(i.handle, i.ints()), 0);
    e = take_run_error();
    EXPECT_EQ(e.type, 1);
    EXPECT_EQ(e.name_text(), u"min");
    EXPECT_EQ(e.formula_type, 1);
    EXPECT_EQ(e.formula, i.handle);
}

TEST_F(MaxMin, PendingErrorIsNotOverwritten) {
    SetRunErr(6, u"interrupt", 9, 0, nullptr);
    double slot = 0;
    EXPECT_EQ(builtin_max_real(-1, &slot, nullptr), 0);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 6);
    EXPECT_EQ(e.code, 9);
}

// --- modf -----------------------------------------------------------------------

using Modf = BuiltinsTest;

TEST_F(Modf, FractionAsResultIntegralPartByReference) {
    EXPECT_EQ(real("(:ip)= modf(3.25, &ip)"), 0.25);
    EXPECT_EQ(real("(:ip)= modf(3.25, &ip), ip"), 3);
    EXPECT_EQ(real("(:ip)= modf(-2.75, &ip), ip"), -2);
    EXPECT_EQ(real("(:ip)= modf(-2.75, &ip)"), -0.75);
    // Without & the variable keeps its value.
    EXPECT_EQ(real("(:ip)= ip = 9, modf(1.5, ip), ip"), 9);
}

TEST_F(Modf, ByReferenceParameterReachesTheHostsArguments) {
    Compiled g = ok(2, "g(x, ip)= modf(x, &ip)");
    double *args = g.reals();
    args[0] = 5.5;
    args[1] = 0;
    EXPECT_EQ(RealCal(g.handle, args), 0.5);
    EXPECT_EQ(args[1], 5);
    EXPECT_TRUE(ParaModify(2, g.handle));
}

TEST_F(Modf, NonFiniteAndShortCalls) {
    double inf[] = {-kInf, 0};
    EXPECT_EQ(builtin_modf(1, inf, nullptr), 0);
    EXPECT_EQ(inf[1], -kInf);
    double nan[] = {kNaN, 0};
    EXPECT_TRUE(std::isnan(builtin_modf(1, nan, nullptr)));
    EXPECT_TRUE(std::isnan(nan[1]));
    // A native caller without the second slot: nothing is written.
    double lone[] = {2.5, 77};
    EXPECT_EQ(builtin_modf(0, lone, nullptr), 0);
    EXPECT_EQ(lone[1], 77);
}

// --- const ----------------------------------------------------------------------

using Const = BuiltinsTest;

TEST_F(Const, PermanentConstantIsSeenByLaterFormulas) {
    EXPECT_EQ(real("const(\"a\", 2)"), 0);
    EXPECT_EQ(real("a+1"), 3);
    EXPECT_EQ(real("const(\"a\", 3)"), 1);
    EXPECT_EQ(real("a"), 2);
    EXPECT_EQ(real("const(\"a\", 0, 0)"), 6);
    EXPECT_EQ(real("a"), 2);
    EXPECT_EQ(take_run_error().type, 0);
}

TEST_F(Const, DeletableConstantComesAndGoes) {
    EXPECT_EQ(real("const(\"b\", 5, 1)"), 0);
    EXPECT_EQ(real("b*2"), 10);
    EXPECT_EQ(real("const(\"b\", 6, -1)"), 1);
    EXPECT_EQ(real("const(\"b\", 0, 0)"), 0);
    EXPECT_EQ(compile_formula(2, "b").status, 24);
    // Deleting what is not there is no error.
    EXPECT_EQ(real("const(\"b\", 0, 0)"), 0);
    // A NaN mode is not 0: it creates.
    EXPECT_EQ(real("const(\"c\", 1, 0/0)"), 0);
    EXPECT_EQ(real("const(\"c\", 0, 0)"), 0);
}

TEST_F(Const, DeleteConstOrFunctionSparesScriptConstants) {
    ASSERT_EQ(real("const(\"perm\", 1)"), 0);
    ASSERT_EQ(real("const(\"temp\", 2, 1)"), 0);
    double host = 3;
    ASSERT_EQ(SetConst(8, u"host", &host), 0);
    DeleteConstOrFunction(8, u"perm");
    DeleteConstOrFunction(8, u"temp");
    DeleteConstOrFunction(8, u"host");
    EXPECT_EQ(real("perm + temp"), 3);
    EXPECT_EQ(compile_formula(2, "host").status, 24);
}

TEST_F(Const, HostConstantsCannotBeDeletedByScripts) {
    double host = 3;
    ASSERT_EQ(SetConst(8, u"host", &host), 0);
    EXPECT_EQ(real("const(\"host\", 0, 0)"), 6);
    EXPECT_EQ(real("const(\"host\", 4)"), 1);
    EXPECT_EQ(real("host"), 3);
}

TEST_F(Const, IntegerAndComplexVersions) {
    EXPECT_EQ(integer("const(\"n\", 7)"), 0);
    EXPECT_EQ(integer("n*2"), 14);
    EXPECT_EQ(integer("const(\"n\", 8)"), 1);
    EXPECT_EQ(integer("const(\"m\", 1, 1)"), 0);
    EXPECT_EQ(integer("const(\"m\", 0, 0)"), 0);
    EXPECT_EQ(integer("const(\"n\", 0, 0)"), 6);
    // Each type has constants of its own.
    EXPECT_EQ(real("const(\"n\", 1.5)"), 0);
    EXPECT_EQ(real("n"), 1.5);

    TmComplex r = complex("const(\"z\", 1.5+2.5i)");
    EXPECT_EQ(r.re, 0);
    EXPECT_EQ(r.im, 0);
    TmComplex z = complex("z");
    EXPECT_EQ(z.re, 1.5);
    EXPECT_EQ(z.im, 2.5);
    EXPECT_EQ(complex("const(\"z\", 0)").re, 1);
    // The mode is the real part: i has real part 0, so this deletes (absent).
    EXPECT_EQ(complex("const(\"w\", 1, i)").re, 0);
    EXPECT_EQ(compile_formula(3, "w").status, 24);
    EXPECT_EQ(complex("const(\"w\", 1, 1+0i)").re, 0);
    EXPECT_EQ(complex("const(\"w\", 0, 0)").re, 0);
    EXPECT_EQ(complex("const(\"z\", 0, 0)").re, 6);
}

TEST_F(Const, BadArgumentsGiveTheirCodes) {
    EXPECT_EQ(real("const(\"\", 1)"), 3);
    EXPECT_EQ(real("const(\"a\")"), 4);
    EXPECT_EQ(real("const(\"a\", 1, 1, 1)"), 4);
    EXPECT_EQ(real("const()"), 4);
    // Indices outside the caller's strings, fractions, NaN, the formula name.
    EXPECT_EQ(real("const(0, 1)"), 5);
    EXPECT_EQ(real("const(-1, 1)"), 5);
    EXPECT_EQ(real("const(100000, 1)"), 5);
    EXPECT_EQ(real("const(1e300, 1)"), 5);
    EXPECT_EQ(real("const(0/0, 1)"), 5);
    EXPECT_EQ(real("(:s)= s = \"ab\", const(s + 0.5, 1)"), 5);
    EXPECT_EQ(real("named()= const(1, 1)"), 5);
    EXPECT_EQ(integer("const(-1, 1)"), 5);
    EXPECT_EQ(complex("const(7i, 1)").re, 5);
    EXPECT_EQ(take_run_error().type, 0);

    // No context, or a context naming no formula: the index is never read.
    double args[] = {1, 2};
    EXPECT_EQ(builtin_const_real(1, args, nullptr), 5);
    TmCallContext stale = {2, args};
    EXPECT_EQ(builtin_const_real(1, args, &stale), 5);
}

TEST_F(Const, IndexIntoAStringTakesTheRestOfIt) {
    int64_t first = 0;
    TmCallContext ctx = context_with_strings("\"xyz\"", &first);
    double args[] = {double(first + 1), 4};
    EXPECT_EQ(builtin_const_real(1, args, &ctx), 0);
    EXPECT_EQ(real("yz"), 4);
}

// --- GetCalByte ---------------------------------------------------------------

using GetCalByte = BuiltinsTest;

void fill_call_result(uint64_t low, uint64_t high) {
    std::memcpy(g_call_result, &low, 8);
    std::memcpy(g_call_result + 8, &high, 8);
}

TEST_F(GetCalByte, IntegerAndRealWriteEightOrSixteenBytes) {
    fill_call_result(0x1111, 0x2222);
    int64_t none = 5;
    EXPECT_EQ(builtin_get_cal_byte_int(-1, &none, nullptr), 0x1111);
    EXPECT_EQ(none, 5);
    int64_t one[] = {0, 9};
    EXPECT_EQ(builtin_get_cal_byte_int(0, one, nullptr), 0x1111);
    EXPECT_EQ(one[0], 0x1111);
    EXPECT_EQ(one[1], 9);
    int64_t three[] = {0, 0, 9};
    builtin_get_cal_byte_int(2, three, nullptr);
    EXPECT_EQ(three[0], 0x1111);
    EXPECT_EQ(three[1], 0x2222);
    EXPECT_EQ(three[2], 9);

    double two[] = {0, 0};
    EXPECT_EQ(as_int(builtin_get_cal_byte_real(1, two, nullptr)), 0x1111);
    EXPECT_EQ(as_int(two[1]), 0x2222);
}

TEST_F(GetCalByte, ComplexTakesAllSixteenBytes) {
    const double re = 1.25, im = -3.5;
    fill_call_result(std::bit_cast<uint64_t>(re), std::bit_cast<uint64_t>(im));
    TmComplex result, arg[2] = {{0, 0}, {7, 7}};
    builtin_get_cal_byte_complex(&result, 0, arg, nullptr);
    EXPECT_EQ(result.re, re);
    EXPECT_EQ(result.im, im);
    EXPECT_EQ(arg[0].re, re);
    EXPECT_EQ(arg[0].im, im);
    EXPECT_EQ(arg[1].re, 7);
    TmComplex slot = {7, 7};
    builtin_get_cal_byte_complex(&result, -1, &slot, nullptr);
    EXPECT_EQ(slot.re, 7);
    EXPECT_EQ(result.im, im);
}

TEST_F(GetCalByte, SeesTheLastCrossTypeResultInFormulas) {
    ok(1, "seven()=7");
    ok(3, "cz()=1.5+2.5i");
    // A real formula receives the integer's bits and reads them back.
    EXPECT_EQ(as_int(real("seven(), GetCalByte()")), 7);
    EXPECT_EQ(as_int(real("(:a)= seven(), GetCalByte(&a), a")), 7);
    // An integer formula reads both halves of a complex result.
    EXPECT_EQ(as_real(integer("(:a, b)= cz(), GetCalByte(&a, &b), a")), 1.5);
    EXPECT_EQ(as_real(integer("(:a, b)= cz(), GetCalByte(&a, &b), b")), 2.5);
    // A complex formula gets the whole buffer as one value (a call of its
    // own type leaves the buffer as the integer formula's call left it).
    TmComplex z = complex("(:w)= cz(), GetCalByte(&w), w");
    EXPECT_EQ(z.re, 1.5);
    EXPECT_EQ(z.im, 2.5);
}

}  // namespace
}  // namespace tmx::test
