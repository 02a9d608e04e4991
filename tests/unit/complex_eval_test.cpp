// The complex evaluator on hand-assembled records.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "kernel/eval/complex_math.h"
#include "typed_eval_fixture.h"
#include "typed_record_builder.h"

inline std::ostream &operator<<(std::ostream &os, const TmComplex &z) {
    return os << "(" << z.re << ", " << z.im << ")";
}

namespace tmx::test {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

using ComplexEval = TypedEval;

bool same_bits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

::testing::AssertionResult IsExactly(TmComplex got, TmComplex want) {
    if (same_bits(got.re, want.re) && same_bits(got.im, want.im))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got << ", want " << want;
}

::testing::AssertionResult IsNear(TmComplex got, std::complex<double> want, double tol = 1e-13) {
    const double scale = std::max(1.0, std::abs(want));
    if (std::abs(std::complex<double>(got.re, got.im) - want) <= tol * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got << ", want " << want;
}

TmComplex binary(uint8_t op, TmComplex a, TmComplex b) {
    ComplexBuilder rb(0, 0, 0);
    rb.push_const(a).push_const(b).op(op).ret();
    RecordPtr f = rb.build();
    return ComplexCal(f.get(), nullptr);
}

TmComplex unary(uint8_t op, TmComplex t) {
    ComplexBuilder rb(0, 0, 0);
    rb.push_const(t).op(op).ret();
    RecordPtr f = rb.build();
    return ComplexCal(f.get(), nullptr);
}

uint8_t cb(int position) { return builtin_byte(position); }

// --- arithmetic -------------------------------------------------------------------------

TEST_F(ComplexEval, ProductAndQuotientOfTheWorkedExample) {
    EXPECT_TRUE(IsExactly(binary(OpMul, {1, 2}, {3, 4}), {-5, 10}));
    EXPECT_TRUE(IsExactly(binary(OpDiv, {1, 2}, {3, 4}), {11.0 / 25, 2.0 / 25}));
    EXPECT_TRUE(IsNear(binary(OpDiv, {1, 2}, {3, 4}), {0.44, 0.08}, 1e-15));
    EXPECT_TRUE(IsExactly(binary(OpAdd, {1, 2}, {3, -4}), {4, -2}));
    EXPECT_TRUE(IsExactly(binary(OpSub, {1, 2}, {3, -4}), {-2, 6}));
    EXPECT_EQ(TestRunErr(), 0);
}

// Unary minus is 0 - z part by part: a zero part comes out +0 whatever its
// sign, everything else is negated.
TEST_F(ComplexEval, NegationLeavesZeroPartsPositive) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        TmComplex z, want;
    } cases[] = {
        {{4, 0}, {-4, 0.0}},        {{4, -0.0}, {-4, 0.0}},    {{0, 0}, {0.0, 0.0}},
        {{-0.0, 5}, {0.0, -5}},     {{1, -0.0}, {-1, 0.0}},    {{-1.5, 2.25}, {1.5, -2.25}},
        {{kInf, -kInf}, {-kInf, kInf}}, {{1e-310, -1e-310}, {-1e-310, 1e-310}},
    };
    for (const auto &c : cases) EXPECT_TRUE(IsExactly(unary(OpNeg, c.z), c.want)) << c.z;
    // A NaN part keeps its payload and flips its sign, as plain negation does.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TmComplex n = unary(OpNeg, {nan, 0});
    EXPECT_TRUE(std::isnan(n.re) && std::signbit(n.re));
    EXPECT_FALSE(std::signbit(n.im));
}

TEST_F(ComplexEval, ArithmeticAgreesWithStdComplexOnOrdinaryValues) {
    const TmComplex values[] = {{1.5, -2}, {-3, 0.25}, {0, 1}, {7, 0}, {-0.5, -0.75}, {30, 1e-3}};
    for (TmComplex a : values)
        for (TmComplex b : values) {
            std::complex<double> x(a.re, a.im), y(b.re, b.im);
            EXPECT_TRUE(IsNear(binary(OpMul, a, b), x * y)) << a << " * " << b;
            EXPECT_TRUE(IsNear(binary(OpDiv, a, b), x / y, 1e-12)) << a << " / " << b;
            EXPECT_TRUE(IsNear(binary(OpPow, a, b), std::pow(x, y), 1e-12)) << a << " ^ " << b;
        }
}

TEST_F(ComplexEval, DivisionByZeroGivesIeeeValuesWithoutAnError) {
    TmComplex q = binary(OpDiv, {1, 1}, {0, 0});
    EXPECT_TRUE(std::isnan(q.re) || std::isinf(q.re));
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(ComplexEval, ZeroToAnyPowerIsZero) {
    EXPECT_TRUE(IsExactly(binary(OpPow, {0, 0}, {0, 0}), {0, 0}));
    EXPECT_TRUE(IsExactly(binary(OpPow, {-0.0, 0}, {2, 3}), {0, 0}));
    EXPECT_TRUE(IsExactly(binary(OpPow, {0, 0}, {-1, 0}), {0, 0}));
    EXPECT_TRUE(IsExactly(binary(OpPow, {0, 0}, {kNaN, 0}), {0, 0}));
    EXPECT_TRUE(IsNear(binary(OpPow, {0, 1}, {2, 0}), {-1, 0}));
    EXPECT_TRUE(IsNear(binary(OpPow, {1, 1}, {2, 0}), {0, 2}));
    EXPECT_TRUE(IsNear(binary(OpPow, {4, 0}, {0.5, 0}), {2, 0}));
    EXPECT_TRUE(IsNear(binary(OpPow, {1e200, 1e200}, {0.5, 0}),
                       std::sqrt(std::complex<double>(1e200, 1e200)), 1e-12));
}

// --- comparisons and truth ------------------------------------------------------------

TEST_F(ComplexEval, ComparisonsUseRealPartsAndKeepTheLeftImaginaryPart) {
    EXPECT_TRUE(IsExactly(binary(OpGt, {3, 4}, {2, 9}), {1, 4}));
    EXPECT_TRUE(IsExactly(binary(OpGt, {2, 4}, {3, -9}), {0, 4}));
    EXPECT_TRUE(IsExactly(binary(OpEq, {1, 5}, {1, 7}), {1, 5}));
    EXPECT_TRUE(IsExactly(binary(OpNe, {1, 5}, {1, 7}), {0, 5}));
    EXPECT_TRUE(IsExactly(binary(OpGe, {1, -1}, {1, 0}), {1, -1}));
    EXPECT_TRUE(IsExactly(binary(OpLt, {0, 2}, {1, 0}), {1, 2}));
    EXPECT_TRUE(IsExactly(binary(OpLe, {2, 2}, {1, 0}), {0, 2}));
    EXPECT_TRUE(IsExactly(binary(OpLt, {kNaN, 3}, {1, 0}), {0, 3}));
    EXPECT_TRUE(IsExactly(binary(OpNe, {kNaN, 3}, {kNaN, 0}), {1, 3}));
}

TEST_F(ComplexEval, LogicLooksAtRealPartsOnly) {
    // An imaginary number with real part 0 is false.
    EXPECT_TRUE(IsExactly(binary(OpAnd, {2, 8}, {0, 5}), {0, 8}));
    EXPECT_TRUE(IsExactly(binary(OpAnd, {kNaN, 8}, {-1, 5}), {1, 8}));
    EXPECT_TRUE(IsExactly(binary(OpOr, {0, 8}, {0, 5}), {0, 8}));
    EXPECT_TRUE(IsExactly(binary(OpOr, {0, 8}, {0.5, 0}), {1, 8}));
    EXPECT_TRUE(IsExactly(unary(OpNot, {0, 6}), {1, 6}));
    EXPECT_TRUE(IsExactly(unary(OpNot, {-2, 6}), {0, 6}));

    // if (0 + 5i) does not run its body and yields 0.
    ComplexBuilder rb(1, 0, 0);
    Label skip = rb.label();
    rb.push_var(0).test(OpIfTest, skip).push_const({9, 9}).store_var(0).op(OpIfEnd, 1);
    rb.bind(skip).ret();
    RecordPtr f = rb.build();
    TmComplex arg = {-0.0, 5};
    TmComplex r = ComplexCal(f.get(), &arg);
    EXPECT_TRUE(IsExactly(r, {0, 0}));
    EXPECT_TRUE(IsExactly(arg, {-0.0, 5}));
    arg = {1, 0};
    EXPECT_TRUE(IsExactly(ComplexCal(f.get(), &arg), {0, 0}));
    EXPECT_TRUE(IsExactly(arg, {9, 9}));
}

TEST_F(ComplexEval, IncrementsChangeTheRealPartOnly) {
    struct Case {
        uint8_t op;
        double result, after;
    } cases[] = {{OpPreIncVar, 11, 11}, {OpPreDecVar, 9, 9},
                 {OpPostIncVar, 10, 11}, {OpPostDecVar, 10, 9}};
    for (const Case &c : cases) {
        ComplexBuilder rb(1, 0, 0);
        rb.op(c.op, 0).ret();
        RecordPtr f = rb.build();
        TmComplex arg = {10, 3};
        EXPECT_TRUE(IsExactly(ComplexCal(f.get(), &arg), {c.result, 3})) << opcode_name(3, c.op);
        EXPECT_TRUE(IsExactly(arg, {c.after, 3})) << opcode_name(3, c.op);
    }
    TmComplex cell = {-1, 7};
    uint32_t index = address_register(&cell, AddressKind::SharedCell);
    ComplexBuilder rb(0, 0, 0);
    rb.op(OpPreIncCommon, int32_t(index)).op(OpPostDecCommon, int32_t(index)).op(OpAdd).ret();
    RecordPtr f = rb.build();
    EXPECT_TRUE(IsExactly(ComplexCal(f.get(), nullptr), {0, 14}));
    EXPECT_TRUE(IsExactly(cell, {-1, 7}));
    address_release(index);
}

// --- built-ins ----------------------------------------------------------------------------

TEST_F(ComplexEval, PartBuiltinsOfTheWorkedExample) {
    const TmComplex z = {2.5, 3};
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::floor_), z), {2, 0}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::ceil_), z), {3, 0}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::x0_), z), {0, 3}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::y0_), z), {2.5, 0}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::xy_), z), {3, 2.5}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::con_), z), {2.5, -3}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::abs_), {3, -4}), {5, 0}));
    // No overflow on the way to a representable magnitude.
    const TmComplex big = unary(cb(complex_op::abs_), {1e300, 1e300});
    EXPECT_TRUE(IsExactly(big, {std::hypot(1e300, 1e300), 0}));
    EXPECT_TRUE(std::isfinite(big.re));
}

TEST_F(ComplexEval, TranscendentalBuiltinsAgreeWithStdComplex) {
    const TmComplex values[] = {{1.5, -2}, {-3, 0.25}, {0, 1}, {7, 0}, {-4, 0}, {-0.5, -0.75}};
    for (TmComplex z : values) {
        std::complex<double> x(z.re, z.im);
        EXPECT_TRUE(IsNear(unary(cb(complex_op::sqrt_), z), std::sqrt(x))) << z;
        EXPECT_TRUE(IsNear(unary(cb(complex_op::exp_), z), std::exp(x), 1e-12)) << z;
        EXPECT_TRUE(IsNear(unary(cb(complex_op::ln_), z), std::log(x))) << z;
        EXPECT_TRUE(IsNear(unary(cb(complex_op::sin_), z), std::sin(x), 1e-12)) << z;
        EXPECT_TRUE(IsNear(unary(cb(complex_op::cos_), z), std::cos(x), 1e-12)) << z;
    }
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::exp_), {0, 0}), {1, 0}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::ln_), {1, 0}), {0, 0}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::sin_), {0, 0}), {0, 0}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::cos_), {0, 0}), {1, -0.0}));
    // Byte 45 ("return", never emitted) runs as sqrt.
    EXPECT_TRUE(IsNear(unary(cb(complex_op::return_), {-4, 0}), {0, 2}));
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(ComplexEval, BitConversionsWorkOnTheRealPart) {
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::itor_), {as_real(-42), 7}), {-42, 7}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::rtoi_), {3.9, 2}), {as_real(3), 2}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::rtoi_), {kNaN, 2}),
                          {as_real(std::numeric_limits<int64_t>::min()), 2}));
    EXPECT_TRUE(IsExactly(unary(cb(complex_op::rtoi_), {-kInf, 2}),
                          {as_real(std::numeric_limits<int64_t>::min()), 2}));
}

// Name "ab", one string "xyz": CodeStart 16.
class ComplexStringArea : public ComplexEval {
  protected:
    RecordPtr make(int position, int params) {
        ComplexBuilder rb(params, 0, 0, u"ab", {u"xyz"});
        EXPECT_EQ(rb.code_start(), 16);
        for (int v = 0; v < params; ++v) rb.push_var(v);
        rb.op(cb(position)).ret();
        return rb.build();
    }
};

TEST_F(ComplexStringArea, GetAndSetUseRealPartsAndKeepImaginaryParts) {
    RecordPtr getc = make(complex_op::getc_, 1), getw = make(complex_op::getw_, 1),
              setn = make(complex_op::setn_, 2), getn = make(complex_op::getn_, 1),
              setc = make(complex_op::setc_, 2);
    TmComplex i = {2.9, 8};
    EXPECT_TRUE(IsExactly(ComplexCal(getc.get(), &i), {'a', 8}));
    i = {4, -1};
    EXPECT_TRUE(IsExactly(ComplexCal(getw.get(), &i), {'x', -1}));
    TmComplex args[2] = {{1, 5}, {3.25, 99}};
    EXPECT_TRUE(IsExactly(ComplexCal(setn.get(), args), {1, 5}));
    double cell;
    std::memcpy(&cell, setn->code + 8, 8);
    EXPECT_EQ(cell, 3.25);
    std::memcpy(getn->code + 8, &cell, 8);
    i = {1, 4};
    EXPECT_TRUE(IsExactly(ComplexCal(getn.get(), &i), {3.25, 4}));
    TmComplex byte_args[2] = {{15, 0}, {300.7, 0}};
    EXPECT_TRUE(IsExactly(ComplexCal(setc.get(), byte_args), {15, 0}));
    EXPECT_EQ(setc->code[15], 300 & 0xFF);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(ComplexStringArea, BadIndexesAreRefusedWithComplexErrors) {
    struct Case {
        int position;
        const char16_t *name;
        double index;
        int params;
    } cases[] = {{complex_op::getc_, u"getc", 0, 1}, {complex_op::getw_, u"getw", 8, 1},
                 {complex_op::getn_, u"getn", kNaN, 1}, {complex_op::setc_, u"setc", 16, 2},
                 {complex_op::setw_, u"setw", -1, 2},  {complex_op::setn_, u"setn", 2, 2}};
    for (const Case &c : cases) {
        RecordPtr f = make(c.position, c.params);
        std::vector<uint8_t> before(f->code, f->code + f->header[kCodeLength]);
        TmComplex args[2] = {{c.index, 6}, {77, 0}};
        EXPECT_TRUE(IsExactly(ComplexCal(f.get(), args), {c.index, 6})) << c.index;
        EXPECT_TRUE(std::equal(before.begin(), before.end(), f->code));
        RunError e = take_run_error();
        EXPECT_EQ(e.type, 3);
        EXPECT_EQ(e.name_text(), c.name);
        EXPECT_EQ(e.formula_type, 3);
        EXPECT_EQ(e.formula, f.get());
    }
}

// --- external functions, recursion, refusals ------------------------------------------------

TmCallContext g_seen_context;
void TM_CALL rotate_first(TmComplex *result, int, TmComplex *args, TmCallContext *ctx) {
    g_seen_context = *ctx;
    args[0] = {-args[0].im, args[0].re};
    *result = {args[0].re + args[1].re, args[0].im + args[1].im};
}
void TM_CALL writes_nothing(TmComplex *, int, TmComplex *, TmCallContext *) {}

TEST_F(ComplexEval, ExternalFunctionsReturnThroughTheResultPointer) {
    ExternalEntry rotate(&rotate_first, 6), silent(&writes_nothing, 6);
    // f(z) = rotate_first(&z, 10 + 20i) + silent()
    ComplexBuilder rb(1, 0, 0);
    rb.push_var(0).push_const({10, 20}).call(OpCallExternal, rotate.index(), 1, {{2, 0, 0}});
    rb.call(OpCallExternal, silent.index(), -1).op(OpAdd).ret();
    RecordPtr f = rb.build();
    TmComplex z = {1, 2};
    EXPECT_TRUE(IsExactly(ComplexCal(f.get(), &z), {8, 21}));
    EXPECT_TRUE(IsExactly(z, {-2, 1}));
    EXPECT_EQ(g_seen_context.type, 3);
    EXPECT_EQ(g_seen_context.hFor, f.get());
}

// p(z, n) = which(n.re <= 0, 1, z * p(z, n - 1)): z to a whole power by
// recursion, with both parameters left in the caller's stack.
RecordPtr complex_power(ComplexBuilder &rb) {
    Label other = rb.label(), end = rb.label();
    rb.push_var(1).push_const({0, 0}).op(OpLe).test(OpWhichTest, other);
    rb.push_const({1, 0}).which_end(end, 1);
    rb.bind(other).push_var(0).push_var(0).push_var(1).push_const({1, 0}).op(OpSub);
    rb.call(OpCallComplex, rb.index(), 1).op(OpMul).op(OpWhichDefault, 2);
    rb.bind(end).ret();
    return rb.build(8);
}

TEST_F(ComplexEval, RecursionOnTheInPlacePath) {
    set_complex_stack(1000);
    ComplexBuilder rb(2, 0, 0, u"p");
    RecordPtr p = complex_power(rb);
    TmComplex args[2] = {{0, 1}, {6, 0}};
    EXPECT_TRUE(IsExactly(ComplexCal(p.get(), args), {-1, 0}));
    args[0] = {1, 1};
    args[1] = {8, 0};
    EXPECT_TRUE(IsExactly(ComplexCal(p.get(), args), {16, 0}));
    EXPECT_EQ(TestRunErr(), 0);
    EXPECT_EQ(g_complex_stack.top, 1);
    EXPECT_EQ(g_complex_stack.copy_args, 1);
    EXPECT_EQ(p->code[0], kIdle);
}

TEST_F(ComplexEval, StackOverflowYieldsZeroAtTheFailingDepth) {
    // A nested frame in place takes 2 - 1 + 8 + 1 = 10 slots: a limit of 30
    // fits two of them.
    set_complex_stack(30);
    ComplexBuilder rb(2, 0, 0, u"p");
    RecordPtr p = complex_power(rb);
    TmComplex args[2] = {{2, 0}, {10, 0}};
    // 2 * 2 * 2 * p(2, 7), and the nested activation for p(2, 7) fails with 0.
    EXPECT_TRUE(IsExactly(ComplexCal(p.get(), args), {0, 0}));
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 3);
    EXPECT_EQ(e.name_text(), u"StackOverFlow");
    EXPECT_EQ(e.formula_type, 3);
    EXPECT_EQ(e.formula, p.get());
    EXPECT_EQ(g_complex_stack.top, 1);
    EXPECT_EQ(p->code[0], kIdle);
}

TEST_F(ComplexEval, ListingAndTraceShowComplexValues) {
    ComplexBuilder rb(0, 0, 0, u"z");
    rb.push_const({1.5, -2}).op(cb(complex_op::con_)).ret();
    RecordPtr f = rb.build();
    std::string listing = disassemble(f.get());
    EXPECT_NE(listing.find("complex formula \"z\""), std::string::npos) << listing;
    EXPECT_NE(listing.find("OpPushConst      (1.5, -2)"), std::string::npos) << listing;
    EXPECT_NE(listing.find("con"), std::string::npos) << listing;
    set_trace(true);
    ::testing::internal::CaptureStderr();
    TmComplex r = ComplexCal(f.get(), nullptr);
    std::string trace = ::testing::internal::GetCapturedStderr();
    set_trace(false);
    EXPECT_TRUE(IsExactly(r, {1.5, 2}));
    EXPECT_NE(trace.find("top (1.5, 2)"), std::string::npos) << trace;
}

}  // namespace
}  // namespace tmx::test
