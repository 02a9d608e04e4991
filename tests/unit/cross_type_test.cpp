// Calls between formulas of the three number types, on hand-assembled
// records: argument slots passed unchanged, results stored bit for bit,
// by-reference arguments written back, the call-result buffer, and recursion
// that crosses types.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel/registry/formulas.h"
#include "typed_eval_fixture.h"
#include "typed_record_builder.h"

namespace tmx::test {
namespace {

using RealBuilder = RecordBuilder;
constexpr uint8_t kSentinel = 0xAA;

// Every test starts with a recognisable call-result buffer, so that a test
// can tell which of its bytes a call wrote.
class CrossType : public TypedEval {
  protected:
    void SetUp() override {
        TypedEval::SetUp();
        std::memset(g_call_result, kSentinel, sizeof g_call_result);
    }
    template <class T> T buffer_first() const {
        T v;
        std::memcpy(&v, g_call_result, 8);
        return v;
    }
    TmComplex buffer_complex() const {
        TmComplex v;
        std::memcpy(&v, g_call_result, 16);
        return v;
    }
    bool buffer_upper_untouched() const {
        for (int i = 8; i < 16; ++i)
            if (g_call_result[i] != kSentinel) return false;
        return true;
    }
    bool buffer_untouched() const {
        for (unsigned char b : g_call_result)
            if (b != kSentinel) return false;
        return true;
    }
};

// --- callees, one per type -------------------------------------------------------------

// int g(n) = (n = n * 2) + 1
RecordPtr int_double_plus_one(IntBuilder &b) {
    b.push_var(0).push_const(2).op(OpMul).store_var(0).push_const(1).op(OpAdd).ret();
    return b.build();
}
// int g(a, b) = (a = a * b) + b
RecordPtr int_product_plus(IntBuilder &b) {
    b.push_var(0).push_var(1).op(OpMul).store_var(0).push_var(1).op(OpAdd).ret();
    return b.build();
}
// real g(x) = (x = x * 2) + 1
RecordPtr real_double_plus_one(RealBuilder &b) {
    b.push_var(0).push_const(2).op(OpMul).store_var(0).push_const(1).op(OpAdd).ret();
    return b.build();
}
// real g(x, y) = (x = x * y) + y
RecordPtr real_product_plus(RealBuilder &b) {
    b.push_var(0).push_var(1).op(OpMul).store_var(0).push_var(1).op(OpAdd).ret();
    return b.build();
}
// complex g(z) = (z = z * i) + 1
RecordPtr complex_turn_plus_one(ComplexBuilder &b) {
    b.push_var(0).push_const({0, 1}).op(OpMul).store_var(0).push_const({1, 0}).op(OpAdd).ret();
    return b.build();
}

// --- from a real formula ----------------------------------------------------------------

TEST_F(CrossType, RealToIntPassesTheBitsAndStoresTheResultBitForBit) {
    IntBuilder gb(1, 0, 0);
    RecordPtr g = int_double_plus_one(gb);
    RealBuilder fb(1, 0, 0);
    fb.push_var(0).call(OpCallInt, gb.index(), 0, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    double x = as_real(41);
    EXPECT_EQ(as_int(RealCal(f.get(), &x)), 83);
    EXPECT_EQ(as_int(x), 82);
    EXPECT_EQ(buffer_first<int64_t>(), 83);
    EXPECT_TRUE(buffer_upper_untouched());
}

TEST_F(CrossType, RealToComplexPassesTwoRealsPerComplexParameter) {
    ComplexBuilder gb(1, 0, 0);
    RecordPtr g = complex_turn_plus_one(gb);
    RealBuilder fb(2, 0, 0);
    fb.push_var(0).push_var(1).call(OpCallComplex, gb.index(), 1, {{2, 0, 0}, {2, 1, 1}}).ret();
    RecordPtr f = fb.build();
    double args[2] = {3, 4};
    EXPECT_EQ(RealCal(f.get(), args), -3); // (3+4i)i + 1 = -3+3i: the real part
    EXPECT_EQ(args[0], -4);
    EXPECT_EQ(args[1], 3);
    TmComplex full = buffer_complex();
    EXPECT_EQ(full.re, -3);
    EXPECT_EQ(full.im, 3);
}

TEST_F(CrossType, RealToRealLeavesTheBufferAlone) {
    RealBuilder gb(1, 0, 0);
    RecordPtr g = real_double_plus_one(gb);
    RealBuilder fb(1, 0, 0);
    fb.push_var(0).call(OpCallReal, gb.index(), 0, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    double x = 2.5;
    EXPECT_EQ(RealCal(f.get(), &x), 6);
    EXPECT_EQ(x, 5);
    EXPECT_TRUE(buffer_untouched());
}

// --- from an integer formula -------------------------------------------------------------

TEST_F(CrossType, IntToRealPassesTheBitsAndStoresTheDoubleBits) {
    RealBuilder gb(1, 0, 0);
    RecordPtr g = real_double_plus_one(gb);
    IntBuilder fb(1, 0, 0);
    fb.push_var(0).call(OpCallReal, gb.index(), 0, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    int64_t n = as_int(2.5);
    EXPECT_EQ(as_real(IntCal(f.get(), &n)), 6.0);
    EXPECT_EQ(as_real(n), 5.0);
    EXPECT_EQ(buffer_first<double>(), 6.0);
    EXPECT_TRUE(buffer_upper_untouched());
}

TEST_F(CrossType, IntToComplexKeepsTheFirstEightBytesOfTheResult) {
    // complex g(z) = (z = con(z)) * z
    ComplexBuilder gb(1, 0, 0);
    gb.push_var(0).op(builtin_byte(complex_op::con_)).store_var(0).push_var(0).op(OpMul).ret();
    RecordPtr g = gb.build();
    IntBuilder fb(2, 0, 0);
    fb.push_var(0).push_var(1).call(OpCallComplex, gb.index(), 1, {{2, 0, 0}, {2, 1, 1}}).ret();
    RecordPtr f = fb.build();
    int64_t args[2] = {as_int(1.0), as_int(2.0)};
    EXPECT_EQ(as_real(IntCal(f.get(), args)), -3.0); // (1-2i)^2 = -3-4i
    EXPECT_EQ(as_real(args[0]), 1.0);
    EXPECT_EQ(as_real(args[1]), -2.0);
    TmComplex full = buffer_complex();
    EXPECT_EQ(full.re, -3);
    EXPECT_EQ(full.im, -4);
}

TEST_F(CrossType, IntToIntLeavesTheBufferAlone) {
    IntBuilder gb(1, 0, 0);
    RecordPtr g = int_double_plus_one(gb);
    IntBuilder fb(1, 0, 0);
    fb.push_var(0).call(OpCallInt, gb.index(), 0, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    int64_t n = -21;
    EXPECT_EQ(IntCal(f.get(), &n), -41);
    EXPECT_EQ(n, -42);
    EXPECT_TRUE(buffer_untouched());
}

// --- from a complex formula ----------------------------------------------------------------

TEST_F(CrossType, ComplexToIntLetsTheCalleeReadSixteenByteSlotsAsEightByteOnes) {
    IntBuilder gb(2, 0, 0);
    RecordPtr g = int_product_plus(gb);
    // f(u, v) = g(&u, v): the integer g reads u's two halves as a and b.
    ComplexBuilder fb(2, 0, 0);
    fb.push_var(0).push_var(1).call(OpCallInt, gb.index(), 1, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    TmComplex args[2] = {{as_real(5), as_real(7)}, {1, 1}};
    TmComplex r = ComplexCal(f.get(), args);
    EXPECT_EQ(as_int(r.re), 5 * 7 + 7);
    EXPECT_EQ(r.im, 0);
    EXPECT_EQ(as_int(args[0].re), 35);
    EXPECT_EQ(as_int(args[0].im), 7);
    EXPECT_EQ(args[1].re, 1);
    EXPECT_EQ(buffer_first<int64_t>(), 42);
    EXPECT_TRUE(buffer_upper_untouched());
}

TEST_F(CrossType, ComplexToRealStoresTheResultAsTheRealPart) {
    RealBuilder gb(2, 0, 0);
    RecordPtr g = real_product_plus(gb);
    ComplexBuilder fb(2, 0, 0);
    fb.push_var(0).push_var(1).call(OpCallReal, gb.index(), 1, {{2, 0, 0}, {2, 1, 1}}).ret();
    RecordPtr f = fb.build();
    TmComplex args[2] = {{2, 3}, {10, 20}};
    TmComplex r = ComplexCal(f.get(), args);
    EXPECT_EQ(r.re, 9);
    EXPECT_EQ(r.im, 0);
    EXPECT_EQ(args[0].re, 6);
    EXPECT_EQ(args[0].im, 3);
    EXPECT_EQ(args[1].re, 10); // unread by g and written back unchanged
    EXPECT_EQ(buffer_first<double>(), 9.0);
    EXPECT_TRUE(buffer_upper_untouched());
}

TEST_F(CrossType, ComplexToComplexLeavesTheBufferAlone) {
    ComplexBuilder gb(1, 0, 0);
    RecordPtr g = complex_turn_plus_one(gb);
    ComplexBuilder fb(1, 0, 0);
    fb.push_var(0).call(OpCallComplex, gb.index(), 0, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    TmComplex z = {3, 4};
    TmComplex r = ComplexCal(f.get(), &z);
    EXPECT_EQ(r.re, -3);
    EXPECT_EQ(r.im, 3);
    EXPECT_EQ(z.re, -4);
    EXPECT_EQ(z.im, 3);
    EXPECT_TRUE(buffer_untouched());
}

// --- calls without arguments, invalidated callees --------------------------------------------

TEST_F(CrossType, CalleesWithoutParametersGetAFreshResultSlot) {
    ComplexBuilder kb(0, 0, 0);
    kb.push_const({1.5, 2}).ret();
    RecordPtr k = kb.build();
    IntBuilder ib(0, 0, 0);
    ib.push_const(7).ret();
    RecordPtr seven = ib.build();

    // int f() = 5 xor k(): the 5 below the call's result slot survives.
    IntBuilder fb(0, 0, 0);
    fb.push_const(5).call(OpCallComplex, kb.index(), -1).op(builtin_byte(int_op::xor_)).ret();
    RecordPtr f = fb.build();
    EXPECT_EQ(IntCal(f.get(), nullptr), 5 ^ as_int(1.5));

    // real h() = 0.5 + seven(), read as a double.
    RealBuilder hb(0, 0, 0);
    hb.push_const(0.5).call(OpCallInt, ib.index(), -1).op(OpAdd).ret();
    RecordPtr h = hb.build();
    EXPECT_EQ(RealCal(h.get(), nullptr), 0.5 + as_real(7));

    // complex c() = (1 + 1i) + seven(): the integer's bits in the real part.
    ComplexBuilder cb(0, 0, 0);
    cb.push_const({1, 1}).call(OpCallInt, ib.index(), -1).op(OpAdd).ret();
    RecordPtr c = cb.build();
    TmComplex r = ComplexCal(c.get(), nullptr);
    EXPECT_EQ(r.re, 1 + as_real(7));
    EXPECT_EQ(r.im, 1);
    EXPECT_EQ(TestRunErr(), 0);
}

FormulaRecord *g_to_invalidate;
int64_t TM_CALL invalidate_caller(int, int64_t *, TmCallContext *) {
    g_to_invalidate->header[kCodeStart] = kInvalidCalleeDeleted;
    return 1;
}

TEST_F(CrossType, CallsAfterTheCallerWasInvalidatedYieldZero) {
    // int f() = invalidate() + g(), with g deleted while f runs.
    RealBuilder gb(0, 0, 0);
    gb.push_const(5).ret();
    RecordPtr g = gb.build();
    ExternalEntry invalidate(&invalidate_caller, 4);
    IntBuilder fb(0, 0, 0);
    fb.call(OpCallExternal, invalidate.index(), -1).call(OpCallReal, gb.index(), -1);
    fb.op(OpAdd).ret();
    RecordPtr f = fb.build();
    g_to_invalidate = f.get();
    EXPECT_EQ(IntCal(f.get(), nullptr), 1);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 4);
    EXPECT_EQ(e.formula_type, 1);
    EXPECT_EQ(e.formula, f.get());
    EXPECT_TRUE(buffer_untouched());
    EXPECT_EQ(f->code[0], kIdle);
}

// --- recursion across types ------------------------------------------------------------------

int32_t g_int_top, g_real_top;
int64_t TM_CALL report_tops(int, int64_t *, TmCallContext *) {
    g_int_top = g_int_stack.top;
    g_real_top = g_real_stack.top;
    return 0;
}

// int f(n) = which(n <= 0, probe(), n + g(n - 1)) with real g(x) = f(x): g
// passes the integer bits through its double slot unchanged.
struct MutualRecursion {
    IntBuilder fb{1, 0, 0, u"f"};
    RealBuilder gb{1, 0, 0, u"g"};
    ExternalEntry probe{&report_tops, 4};
    RecordPtr f, g;

    MutualRecursion() {
        Label other = fb.label(), end = fb.label();
        fb.push_var(0).push_const(0).op(OpLe).test(OpWhichTest, other);
        fb.call(OpCallExternal, probe.index(), -1).which_end(end, 1);
        fb.bind(other).push_var(0).push_var(0).push_const(1).op(OpSub);
        fb.call(OpCallReal, gb.index(), 0).op(OpAdd).op(OpWhichDefault, 2);
        fb.bind(end).ret();
        f = fb.build(8);
        gb.push_var(0).call(OpCallInt, fb.index(), 0).ret();
        g = gb.build(4);
    }
    // Slots of a nested frame on the copy path (arguments copied in).
    static int32_t copy_frame(const FormulaRecord *r) {
        const int32_t *h = r->header;
        return h[kVarCount] + (h[kDataLength] - h[kStackBase]) + 1;
    }
};

TEST_F(CrossType, RecursionThroughAnotherTypeTakesTheCopyPath) {
    set_int_stack(10000);
    set_real_stack_limit(10000);
    MutualRecursion m;
    int64_t n = 2;
    EXPECT_EQ(IntCal(m.f.get(), &n), 2 + 1);
    // f(2) -> g -> f(1) -> g -> f(0): two nested f and one nested g, each
    // copying its argument, since only a call of the own type runs in place.
    EXPECT_EQ(g_int_top, 1 + 2 * MutualRecursion::copy_frame(m.f.get()));
    EXPECT_EQ(g_real_top, 1 + MutualRecursion::copy_frame(m.g.get()));
    n = 100;
    EXPECT_EQ(IntCal(m.f.get(), &n), 5050);
    EXPECT_EQ(n, 100);
    EXPECT_EQ(TestRunErr(), 0);
    EXPECT_EQ(g_int_stack.top, 1);
    EXPECT_EQ(g_real_stack.top, 1);
    EXPECT_EQ(m.f->code[0], kIdle);
    EXPECT_EQ(m.g->code[0], kIdle);
}

TEST_F(CrossType, StackOverflowInOneTypeEndsTheRecursionOfBoth) {
    set_int_stack(10); // no room for a single nested f
    set_real_stack_limit(1000);
    MutualRecursion m;
    int64_t n = 5;
    EXPECT_EQ(IntCal(m.f.get(), &n), 5 + 0);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 1);
    EXPECT_EQ(e.name_text(), u"StackOverFlow");
    EXPECT_EQ(e.formula_type, 1);
    EXPECT_EQ(e.formula, m.f.get());
    EXPECT_EQ(g_int_stack.top, 1);
    EXPECT_EQ(g_real_stack.top, 1);
}

TEST_F(CrossType, NativeStackGuardHoldsAcrossTypes) {
    // Room for far more levels than the native stack allows.
    set_int_stack(20'000'000);
    set_real_stack_limit(20'000'000);
    MutualRecursion m;
    int64_t n = 10'000'000;
    const int64_t r = IntCal(m.f.get(), &n);
    EXPECT_EQ(take_run_error().name_text(), u"StackOverFlow");
    EXPECT_GT(r, n);
    EXPECT_LT(r, n * (n + 1) / 2);
    EXPECT_EQ(g_int_stack.top, 1);
    EXPECT_EQ(g_real_stack.top, 1);
    EXPECT_EQ(m.f->code[0], kIdle);
    EXPECT_EQ(m.g->code[0], kIdle);
}

// --- release passes -----------------------------------------------------------------------------

TEST_F(CrossType, ReleasePassesRunOnTheArgumentArea) {
    // f(a) = (s = a + 1) with a static s.
    IntBuilder ib(1, 0, 1);
    ib.push_var(0).push_const(1).op(OpAdd).store_var(1).ret();
    RecordPtr fi = ib.build();
    data_of<int64_t>(fi)[0] = 41;
    set_release_evaluator(1, release_pass_int);
    release_evaluator(1)(fi.get());
    EXPECT_EQ(data_of<int64_t>(fi)[1], 42);

    ComplexBuilder cb(1, 0, 1);
    cb.push_var(0).push_const({1, 1}).op(OpAdd).store_var(1).ret();
    RecordPtr fc = cb.build();
    data_of<TmComplex>(fc)[0] = {2, 3};
    set_release_evaluator(3, release_pass_complex);
    release_evaluator(3)(fc.get());
    EXPECT_EQ(data_of<TmComplex>(fc)[1].re, 3);
    EXPECT_EQ(data_of<TmComplex>(fc)[1].im, 4);
}

}  // namespace
}  // namespace tmx::test
