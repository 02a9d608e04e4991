// The real evaluator, the run-error record and the shared value stacks, on
// hand-assembled records.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "kernel/disasm.h"
#include "kernel/eval/native_guard.h"
#include "kernel/eval/value_stacks.h"
#include "formula_support.h"
#include "kernel/run_error.h"
#include "record_builder.h"
#include "tamrix/tamrix.h"


namespace tmx::test {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

RunError take_error() { return take_run_error(); }

bool same_bits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

uint8_t builtin(int position) { return uint8_t(kFirstBuiltin + position); }

void set_real_stack(double limit) {
    TmCallContext ctx = {2, nullptr};
    ASSERT_EQ(builtin_set_real_stack_max(0, &limit, &ctx), std::trunc(limit));
}

class Eval : public ::testing::Test {
  protected:
    void SetUp() override {
        take_error();
        value_stacks_release();
        set_trace(false);
    }
    void TearDown() override {
        take_error();
        value_stacks_release();
    }
};

// a op b on constants.
double binary(uint8_t op, double a, double b) {
    RecordBuilder rb(0, 0, 0);
    rb.push_const(a).push_const(b).op(op).ret();
    RecordPtr f = rb.build();
    return RealCal(f.get(), nullptr);
}

double unary(uint8_t op, double t) {
    RecordBuilder rb(0, 0, 0);
    rb.push_const(t).op(op).ret();
    RecordPtr f = rb.build();
    return RealCal(f.get(), nullptr);
}

// --- arithmetic, comparison, truth ------------------------------------------------

TEST_F(Eval, ArithmeticFollowsIeeeWithoutRunErrors) {
    EXPECT_EQ(binary(OpAdd, 1.5, 2.25), 3.75);
    EXPECT_EQ(binary(OpSub, 1.5, 2.25), -0.75);
    EXPECT_EQ(binary(OpMul, 1.5, -4), -6);
    EXPECT_EQ(binary(OpDiv, 1, 4), 0.25);
    EXPECT_EQ(binary(OpPow, 2, 10), 1024);
    EXPECT_EQ(binary(OpPow, 2, 0.5), std::sqrt(2.0));
    EXPECT_EQ(binary(OpDiv, 1, 0), kInf);
    EXPECT_EQ(binary(OpDiv, -1, 0), -kInf);
    EXPECT_TRUE(std::isnan(binary(OpDiv, 0, 0)));
    EXPECT_TRUE(std::isnan(binary(OpPow, -8, 1.0 / 3)));
    EXPECT_EQ(binary(OpMul, 1e300, 1e300), kInf);
    EXPECT_EQ(unary(OpNeg, 2), -2);
    EXPECT_TRUE(std::signbit(unary(OpNeg, 0.0)));
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(Eval, ComparisonsWithNanAreFalseExceptNotEqual) {
    struct Case {
        uint8_t op;
        double a, b, want;
    } cases[] = {
        {OpGt, 2, 1, 1},    {OpGt, 1, 1, 0},    {OpGe, 1, 1, 1},    {OpGe, 0, 1, 0},
        {OpLt, 0, 1, 1},    {OpLt, 1, 1, 0},    {OpLe, 1, 1, 1},    {OpLe, 2, 1, 0},
        {OpEq, 0.0, -0.0, 1}, {OpEq, 1, 2, 0},  {OpNe, 1, 2, 1},    {OpNe, 1, 1, 0},
        {OpGt, kNaN, 1, 0}, {OpGe, kNaN, kNaN, 0}, {OpLt, 1, kNaN, 0}, {OpLe, kNaN, 1, 0},
        {OpEq, kNaN, kNaN, 0}, {OpNe, kNaN, kNaN, 1}, {OpNe, kNaN, 1, 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(binary(c.op, c.a, c.b), c.want)
            << opcode_name(2, c.op) << "(" << c.a << ", " << c.b << ")";
}

TEST_F(Eval, LogicTreatsNanAsTrue) {
    EXPECT_EQ(binary(OpAnd, 2, -1), 1);
    EXPECT_EQ(binary(OpAnd, 2, 0), 0);
    EXPECT_EQ(binary(OpAnd, kNaN, 1), 1);
    EXPECT_EQ(binary(OpOr, 0, 0), 0);
    EXPECT_EQ(binary(OpOr, 0, kNaN), 1);
    EXPECT_EQ(binary(OpOr, -0.0, 0), 0);
    EXPECT_EQ(unary(OpNot, 0), 1);
    EXPECT_EQ(unary(OpNot, -0.0), 1);
    EXPECT_EQ(unary(OpNot, kNaN), 0);
    EXPECT_EQ(unary(OpNot, 3), 0);
}

// --- variables, cells, stack shuffles ----------------------------------------------

TEST_F(Eval, ParametersAreStoredThroughToTheCaller) {
    RecordBuilder rb(2, 0, 0);
    rb.push_var(0).push_var(1).op(OpAdd).store_var(0).ret();
    RecordPtr f = rb.build();
    double args[2] = {2, 3};
    EXPECT_EQ(RealCal(f.get(), args), 5);
    EXPECT_EQ(args[0], 5);
    EXPECT_EQ(args[1], 3);
}

TEST_F(Eval, MissingArgumentArrayFallsBackToTheArgumentArea) {
    RecordBuilder rb(1, 0, 0);
    rb.push_var(0).push_const(1).op(OpAdd).ret();
    RecordPtr f = rb.build();
    static_cast<double *>(f->data)[0] = 41;
    EXPECT_EQ(RealCal(f.get(), nullptr), 42);
}

TEST_F(Eval, StaticsKeepTheirValueBetweenCalls) {
    RecordBuilder rb(0, 0, 1);
    rb.op(OpPreIncVar, 0).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 1);
    EXPECT_EQ(RealCal(f.get(), nullptr), 2);
    EXPECT_EQ(RealCal(f.get(), nullptr), 3);
}

TEST_F(Eval, CommonCellsAreReadAndWrittenDirectly) {
    SharedCell in(2.5), out;
    RecordBuilder rb(0, 0, 0);
    rb.op(OpPushCommon, int32_t(in.index())).push_const(2).op(OpMul);
    rb.op(OpStoreCommon, int32_t(out.index())).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 5);
    EXPECT_EQ(out.value, 5);
}

TEST_F(Eval, DropKeepLeavesTheLastValueOfAList) {
    RecordBuilder rb(0, 0, 0);
    rb.push_const(1).push_const(2).push_const(3).op(OpDropKeep, 2).push_const(10);
    rb.op(OpAdd).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 13);
}

// --- built-ins ---------------------------------------------------------------------

TEST_F(Eval, OneArgumentBuiltinsUseTheLibraryFunctions) {
    struct Case {
        int position;
        double (*fn)(double);
    } cases[] = {
        {real_op::sqrt_, std::sqrt}, {real_op::exp_, std::exp},     {real_op::ln_, std::log},
        {real_op::lg_, std::log10},  {real_op::sin_, std::sin},     {real_op::cos_, std::cos},
        {real_op::tan_, std::tan},   {real_op::asin_, std::asin},   {real_op::acos_, std::acos},
        {real_op::atan_, std::atan}, {real_op::sinh_, std::sinh},   {real_op::cosh_, std::cosh},
        {real_op::tanh_, std::tanh}, {real_op::abs_, std::fabs},    {real_op::floor_, std::floor},
        {real_op::ceil_, std::ceil},
    };
    const double inputs[] = {0.0, -0.0, 0.5, -0.75, 2.5, 1e3, -1e-3, kInf, -kInf, kNaN};
    for (const Case &c : cases)
        for (double x : inputs) {
            double want = c.fn(x), got = unary(builtin(c.position), x);
            EXPECT_TRUE(same_bits(got, want))
                << opcode_name(2, builtin(c.position)) << "(" << x << ") = " << got;
        }
    EXPECT_EQ(TestRunErr(), 0);
}

// Bytes above the set: three_types_eval_test.cpp.
TEST_F(Eval, ReturnByteRunsAsSqrt) { EXPECT_EQ(unary(kRealReturn, 16), 4); }

TEST_F(Eval, BitConversionsAreDefinedForEveryDouble) {
    const uint8_t itor = builtin(real_op::itor_), rtoi = builtin(real_op::rtoi_);
    EXPECT_EQ(unary(itor, std::bit_cast<double>(int64_t(-42))), -42);
    EXPECT_EQ(std::bit_cast<int64_t>(unary(rtoi, 3.9)), 3);
    EXPECT_EQ(std::bit_cast<int64_t>(unary(rtoi, -3.9)), -3);
    EXPECT_EQ(std::bit_cast<int64_t>(unary(rtoi, 9007199254740993.0)), 9007199254740992);
    for (double bad : {kNaN, 1e300, -1e300, kInf, 9223372036854775808.0})
        EXPECT_EQ(std::bit_cast<int64_t>(unary(rtoi, bad)), std::numeric_limits<int64_t>::min())
            << bad;
    EXPECT_EQ(std::bit_cast<int64_t>(unary(rtoi, -9223372036854775808.0)),
              std::numeric_limits<int64_t>::min());
}

TEST_F(Eval, TwoArgumentBuiltins) {
    const uint8_t atan2 = builtin(real_op::atan2_), fmod = builtin(real_op::fmod_),
                  sign = builtin(real_op::sign_), dim = builtin(real_op::dim_);
    EXPECT_EQ(binary(atan2, 1, -1), std::atan2(1.0, -1.0));
    EXPECT_EQ(binary(fmod, 7.5, 2), 1.5);
    EXPECT_EQ(binary(fmod, -7.5, 2), -1.5);
    EXPECT_TRUE(std::isnan(binary(fmod, 1, 0)));
    EXPECT_EQ(binary(sign, -3, 2), 3);
    EXPECT_EQ(binary(sign, 3, -2), -3);
    EXPECT_EQ(binary(sign, -3, -0.0), 3);
    EXPECT_EQ(binary(sign, 3, kNaN), -3);
    EXPECT_EQ(binary(dim, 5, 3), 2);
    EXPECT_EQ(binary(dim, 3, 5), 0);
    EXPECT_EQ(binary(dim, kNaN, 1), 0);
}

TEST_F(Eval, PaddAddsToTheLowHalfOnly) {
    const uint8_t padd = builtin(real_op::padd_);
    auto bits = [](uint64_t b) { return std::bit_cast<double>(b); };
    auto raw = [](double d) { return std::bit_cast<uint64_t>(d); };
    EXPECT_EQ(raw(binary(padd, bits(0x12345678'00001000), 16)), 0x12345678'00001010u);
    // The carry out of the low half is dropped; the high half is untouched.
    EXPECT_EQ(raw(binary(padd, bits(0x00000001'FFFFFFFF), 1)), 0x00000001'00000000u);
    EXPECT_EQ(raw(binary(padd, bits(0x00000001'00000000), -1.9)), 0x00000001'FFFFFFFFu);
}

// Name "ab", one string "xyz": code bytes 2..15 are the string area, so
// CodeStart is 16 and the last valid byte, word and cell indexes are 15, 7, 1.
class StringArea : public Eval {
  protected:
    RecordPtr make(int position, int params) {
        RecordBuilder rb(params, 0, 0, u"ab", {u"xyz"});
        EXPECT_EQ(rb.code_start(), 16);
        for (int v = 0; v < params; ++v) rb.push_var(v);
        rb.op(builtin(position)).ret();
        return rb.build();
    }
    double get(FormulaRecord *f, double i) { return RealCal(f, &i); }
    double set(FormulaRecord *f, double i, double v) {
        double args[2] = {i, v};
        return RealCal(f, args);
    }
    void expect_refused(const char16_t *name, FormulaRecord *f) {
        RunError e = take_error();
        EXPECT_EQ(e.type, 2);
        EXPECT_EQ(e.name_text(), name);
        EXPECT_EQ(e.code, 0);
        EXPECT_EQ(e.formula_type, 2);
        EXPECT_EQ(e.formula, f);
    }
};

TEST_F(StringArea, GetReadsBytesWordsAndCellsInRange) {
    RecordPtr getc = make(real_op::getc_, 1), getw = make(real_op::getw_, 1),
              getn = make(real_op::getn_, 1);
    EXPECT_EQ(get(getc.get(), 1), 0);   // flag bits
    EXPECT_EQ(get(getc.get(), 2), 'a');
    EXPECT_EQ(get(getc.get(), 2.9), 'a');
    EXPECT_EQ(get(getc.get(), 15), 0);
    EXPECT_EQ(get(getw.get(), 1), 'a');
    EXPECT_EQ(get(getw.get(), 4), 'x');
    EXPECT_EQ(get(getw.get(), 6), 'z');
    EXPECT_EQ(get(getw.get(), 7), 0);
    double cell;
    std::memcpy(&cell, getn->code + 8, 8);
    EXPECT_TRUE(same_bits(get(getn.get(), 1), cell));
    EXPECT_EQ(TestRunErr(), 0);

    getc->code[5] = 0xF0; // the high byte of 'b' read as a signed byte
    EXPECT_EQ(get(getc.get(), 5), -16);
    std::memcpy(getw->code + 8, "\xFF\xFF", 2);
    EXPECT_EQ(get(getw.get(), 4), 65535);
}

TEST_F(StringArea, GetRefusesIndexZeroAndIndexesPastTheArea) {
    struct Case {
        int position;
        const char16_t *name;
        double index;
    } cases[] = {
        {real_op::getc_, u"getc", 0},   {real_op::getc_, u"getc", 16},
        {real_op::getc_, u"getc", -1},  {real_op::getc_, u"getc", 0.5},
        {real_op::getc_, u"getc", kNaN}, {real_op::getc_, u"getc", 4294967298.0},
        {real_op::getw_, u"getw", 0},   {real_op::getw_, u"getw", 8},
        {real_op::getn_, u"getn", 0},   {real_op::getn_, u"getn", 2},
    };
    for (const Case &c : cases) {
        RecordPtr f = make(c.position, 1);
        // The top keeps the index.
        EXPECT_TRUE(same_bits(get(f.get(), c.index), c.index)) << c.index;
        expect_refused(c.name, f.get());
    }
}

TEST_F(StringArea, SetStoresTruncatedValuesAndYieldsTheIndex) {
    RecordPtr setc = make(real_op::setc_, 2), setw = make(real_op::setw_, 2),
              setn = make(real_op::setn_, 2);
    EXPECT_EQ(set(setc.get(), 3.7, 300.9), 3.7);
    EXPECT_EQ(setc->code[3], 300 & 0xFF);
    EXPECT_EQ(set(setc.get(), 15, -1), 15);
    EXPECT_EQ(setc->code[15], 0xFF);
    EXPECT_EQ(set(setw.get(), 7, 65.9), 7);
    EXPECT_EQ(setw->code[14], 65);
    EXPECT_EQ(setw->code[15], 0);
    EXPECT_EQ(set(setw.get(), 1, 70000), 1);
    EXPECT_EQ(setw->code[2] | setw->code[3] << 8, 70000 & 0xFFFF);
    EXPECT_EQ(set(setn.get(), 1, 3.25), 1);
    double cell;
    std::memcpy(&cell, setn->code + 8, 8);
    EXPECT_EQ(cell, 3.25);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(StringArea, SetRefusesBadIndexesAndStoresNothing) {
    struct Case {
        int position;
        const char16_t *name;
        double index;
    } cases[] = {{real_op::setc_, u"setc", 0}, {real_op::setc_, u"setc", 16},
                 {real_op::setw_, u"setw", 8}, {real_op::setw_, u"setw", -3},
                 {real_op::setn_, u"setn", 2}, {real_op::setn_, u"setn", kNaN}};
    for (const Case &c : cases) {
        RecordPtr f = make(c.position, 2);
        std::vector<uint8_t> before(f->code, f->code + f->header[kCodeLength]);
        EXPECT_TRUE(same_bits(set(f.get(), c.index, 77), c.index));
        EXPECT_TRUE(std::equal(before.begin(), before.end(), f->code));
        expect_refused(c.name, f.get());
    }
}

// --- control flow ------------------------------------------------------------------

TEST_F(Eval, IfRunsItsBodyOnlyWhenTrueAndYieldsPositiveZero) {
    RecordBuilder rb(1, 1, 0);
    Label end = rb.label();
    rb.push_var(0).test(OpIfTest, end).push_const(5).store_var(1).op(OpIfEnd, 1);
    rb.bind(end).ret();
    RecordPtr f = rb.build();
    auto *data = static_cast<double *>(f->data);
    for (double c : {1.0, kNaN, -2.0}) {
        data[1] = 0;
        double r = RealCal(f.get(), &c);
        EXPECT_EQ(r, 0);
        EXPECT_FALSE(std::signbit(r));
        EXPECT_EQ(data[1], 5) << c;
    }
    for (double c : {0.0, -0.0}) {
        data[1] = 0;
        double r = RealCal(f.get(), &c);
        EXPECT_EQ(r, 0);
        EXPECT_FALSE(std::signbit(r)) << "if on -0 yields +0";
        EXPECT_EQ(data[1], 0);
    }
}

// while (i < n) i++; then i.
RecordPtr counting_while() {
    RecordBuilder rb(1, 1, 0);
    Label top = rb.label(), end = rb.label();
    rb.push_const(0).store_var(1);
    rb.bind(top).push_var(1).push_var(0).op(OpLt).test(OpWhileTest, end);
    rb.op(OpPostIncVar, 1).jump(OpJump, top, 0);
    rb.bind(end).push_var(1).ret();
    return rb.build();
}

TEST_F(Eval, WhileLoopsUntilItsTestFails) {
    RecordPtr f = counting_while();
    for (double n : {0.0, 1.0, 5.0, 1000.0, kNaN}) {
        double arg = n;
        EXPECT_EQ(RealCal(f.get(), &arg), std::isnan(n) ? 0 : n);
    }
}

TEST_F(Eval, UntilLoopsUntilItsTestHolds) {
    // do i = i + 1 until i >= n; then 0 + i.
    RecordBuilder rb(1, 1, 0);
    Label top = rb.label();
    rb.push_const(0).store_var(1);
    rb.bind(top).op(OpPreIncVar, 1).push_var(0).op(OpGe).until_test(0, top);
    rb.push_var(1).op(OpAdd).ret();
    RecordPtr f = rb.build();
    double n = 7;
    EXPECT_EQ(RealCal(f.get(), &n), 7);
    n = -1; // the body runs once
    EXPECT_EQ(RealCal(f.get(), &n), 1);
}

TEST_F(Eval, BreakLeavesTheLoopWithZero) {
    // while (1) { ++i; if (i >= 3) break }; then 0 + i.
    RecordBuilder rb(0, 1, 0);
    Label top = rb.label(), skip = rb.label(), end = rb.label();
    rb.bind(top).push_const(1).test(OpWhileTest, end);
    rb.op(OpPreIncVar, 0).push_const(3).op(OpGe).test(OpIfTest, skip).jump(OpBreak, end, 0);
    rb.bind(skip).jump(OpJump, top, -1);
    rb.bind(end).push_var(0).op(OpAdd).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 3);
}

TEST_F(Eval, WhichWithoutMatchingBranchRecordsAnError) {
    RecordBuilder rb(0, 0, 0);
    Label none = rb.label(), end = rb.label();
    rb.push_const(0).test(OpWhichTest, none).push_const(5).which_end(end, 1);
    rb.bind(none).op(OpWhichNone, 1);
    rb.bind(end).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 0);
    RunError e = take_error();
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.name_text(), u"which");
    EXPECT_EQ(e.formula, f.get());

    SetRunErr(1, u"earlier", 9, 0, nullptr);
    RealCal(f.get(), nullptr);
    EXPECT_EQ(take_error().name_text(), u"earlier");
}

// --- loops and pending errors ---------------------------------------------------------

// Records a run error on its g_fail_at-th call.  A loop that ignores the
// error still ends, at the safety bound, so a broken loop test fails here
// instead of hanging.
int g_calls = 0;
int g_fail_at = 0;
constexpr int kCallBound = 1000;
double counting_function(int, double *, TmCallContext *ctx) {
    ++g_calls;
    if (g_calls == g_fail_at) SetRunErr(2, u"counted", 1, 0, ctx);
    if (g_calls == kCallBound) SetRunErr(2, u"bound", 1, 0, ctx);
    return 7;
}

class PendingError : public Eval {
  protected:
    void SetUp() override {
        Eval::SetUp();
        g_calls = 0;
        g_fail_at = 3;
    }
    ExternalEntry fn{&counting_function};
};

TEST_F(PendingError, EndsAWhileLoopAtItsNextTest) {
    RecordBuilder rb(0, 0, 0);
    Label top = rb.label(), end = rb.label();
    rb.bind(top).push_const(1).test(OpWhileTest, end);
    rb.call(OpCallExternal, fn.index(), -1).jump(OpJump, top, -1);
    rb.bind(end).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 1);
    EXPECT_EQ(g_calls, 3);
    RunError e = take_error();
    EXPECT_EQ(e.name_text(), u"counted");
    EXPECT_EQ(e.formula_type, 2);
    EXPECT_EQ(e.formula, f.get());
}

TEST_F(PendingError, MakesContinueRunTheFinalReturn) {
    RecordBuilder rb(0, 0, 0);
    Label top = rb.label(), end = rb.label();
    rb.bind(top).push_const(1).test(OpWhileTest, end);
    rb.call(OpCallExternal, fn.index(), -1).jump(OpContinue, top, -1);
    rb.push_const(99).jump(OpJump, top, -1);
    rb.bind(end).ret();
    RecordPtr f = rb.build();
    // The stack is left as it was: the call's result is on top.
    EXPECT_EQ(RealCal(f.get(), nullptr), 7);
    EXPECT_EQ(g_calls, 3);
    EXPECT_EQ(f->code[0], kIdle);
}

TEST_F(PendingError, EndsAnUntilLoopWithZero) {
    RecordBuilder rb(0, 0, 0);
    Label top = rb.label();
    rb.bind(top).call(OpCallExternal, fn.index(), -1).push_const(0).until_test(-1, top);
    rb.ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 0);
    EXPECT_EQ(g_calls, 3);
}

TEST_F(PendingError, DoesNotStopStraightLineCode) {
    g_fail_at = 1;
    RecordBuilder rb(0, 0, 0);
    rb.call(OpCallExternal, fn.index(), -1).push_const(1).op(OpAdd).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 8);
    EXPECT_EQ(TestRunErr(), 2);
}

// --- calls -----------------------------------------------------------------------------

struct Seen {
    int m;
    int8_t type;
    void *formula;
} g_seen;

double overwrite_arguments(int m, double *args, TmCallContext *ctx) {
    g_seen = {m, ctx->type, ctx->hFor};
    if (m >= 0) args[0] = 10;
    if (m >= 1) args[1] = 20;
    return 99;
}

TEST_F(Eval, ExternalCallWritesBackAndStoresItsResultOverTheFirstArgument) {
    ExternalEntry ext(&overwrite_arguments);
    SharedCell cell;
    RecordBuilder rb(1, 1, 0);
    rb.push_const(1).push_var(0).push_const(2);
    rb.call(OpCallExternal, ext.index(), 1,
            {{2, 0, 1}, {3, 1, int32_t(cell.index())}, {2, 1, 0}});
    rb.op(OpAdd).ret(); // 1 + result
    RecordPtr f = rb.build();
    double arg = 5;
    EXPECT_EQ(RealCal(f.get(), &arg), 100);
    EXPECT_EQ(g_seen.m, 1);
    EXPECT_EQ(g_seen.type, 2);
    EXPECT_EQ(g_seen.formula, f.get());
    EXPECT_EQ(static_cast<double *>(f->data)[1], 10); // the automatic variable
    EXPECT_EQ(cell.value, 20);
    EXPECT_EQ(arg, 20); // the parameter, written back by reference
}

TEST_F(Eval, CallWithoutArgumentsGetsAFreshResultSlot) {
    ExternalEntry ext(&overwrite_arguments);
    RecordBuilder rb(0, 0, 0);
    rb.push_const(7).call(OpCallExternal, ext.index(), -1).op(OpSub).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(RealCal(f.get(), nullptr), 7 - 99);
    EXPECT_EQ(g_seen.m, -1);
}

TEST_F(Eval, FormulaCallPassesArgumentsByReference) {
    // g(a) = (a = a * 2) + 1;  f(x) = g(&x)
    RecordBuilder gb(1, 0, 0, u"g");
    gb.push_var(0).push_const(2).op(OpMul).store_var(0).push_const(1).op(OpAdd).ret();
    RecordPtr g = gb.build();
    RecordBuilder fb(1, 0, 0, u"f");
    fb.push_var(0).call(OpCallReal, gb.index(), 0, {{2, 0, 0}}).ret();
    RecordPtr f = fb.build();
    double x = 3;
    EXPECT_EQ(RealCal(f.get(), &x), 7);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(g->code[0], kIdle);
    EXPECT_EQ(g_real_stack.top, 1);
}

FormulaRecord *g_to_invalidate;
double invalidate_caller(int, double *, TmCallContext *) {
    g_to_invalidate->header[kCodeStart] = kInvalidCalleeDeleted;
    return 0;
}

TEST_F(Eval, CalleeDeletedWhileTheCallerRunsIsNotCalled) {
    SharedCell ran;
    RecordBuilder gb(0, 0, 0);
    gb.op(OpPreIncCommon, int32_t(ran.index())).ret();
    RecordPtr g = gb.build();
    ExternalEntry ext(&invalidate_caller);
    RecordBuilder fb(0, 0, 0);
    fb.call(OpCallExternal, ext.index(), -1).call(OpCallReal, gb.index(), -1).op(OpAdd).ret();
    RecordPtr f = fb.build();
    g_to_invalidate = f.get();
    EXPECT_EQ(RealCal(f.get(), nullptr), 0);
    EXPECT_EQ(ran.value, 0);
    RunError e = take_error();
    EXPECT_EQ(e.type, 4);
    EXPECT_EQ(e.name, nullptr);
    EXPECT_EQ(e.formula, f.get());
    EXPECT_EQ(f->code[0], kIdle);
}

// --- recursion and the shared stack --------------------------------------------------

// fact(n) = (t = n, which(n <= 1, 1, fact(n - 1) * t)): the automatic t is
// read after the recursive call, so it must be private to each activation.
RecordPtr factorial(RecordBuilder &rb) {
    Label other = rb.label(), end = rb.label();
    rb.push_var(0).store_var(1);
    rb.push_var(0).push_const(1).op(OpLe).test(OpWhichTest, other);
    rb.push_const(1).which_end(end, 1);
    rb.bind(other).push_var(0).push_const(1).op(OpSub).call(OpCallReal, rb.index(), 0);
    rb.push_var(1).op(OpMul).op(OpWhichDefault, 2);
    rb.bind(end).op(OpDropKeep, 1).ret();
    return rb.build(8);
}

// sum(n) = which(n <= 0, 0, n + sum(n - 1))
RecordPtr summation(RecordBuilder &rb) {
    Label other = rb.label(), end = rb.label();
    rb.push_var(0).push_const(0).op(OpLe).test(OpWhichTest, other);
    rb.push_const(0).which_end(end, 1);
    rb.bind(other).push_var(0).push_var(0).push_const(1).op(OpSub);
    rb.call(OpCallReal, rb.index(), 0).op(OpAdd).op(OpWhichDefault, 2);
    rb.bind(end).ret();
    return rb.build(8);
}

// A recursion that the shared stack allows but the native stack could not
// survive.  Returns the result; the error is left pending.
double deep_sum(double depth) {
    RecordBuilder rb(1, 0, 0, u"sum");
    RecordPtr sum = summation(rb);
    double n = depth;
    double r = RealCal(sum.get(), &n);
    EXPECT_EQ(sum->code[0], kIdle);
    return r;
}

// r is n + (n-1) + ... + (n-k+1) for the depth k that failed.
void expect_partial_sum(double r, double n) {
    double k = std::round((2 * n + 1 - std::sqrt((2 * n + 1) * (2 * n + 1) - 8 * r)) / 2);
    EXPECT_GT(k, 10);
    EXPECT_LT(k, n);
    EXPECT_EQ(r, k * n - k * (k - 1) / 2);
}

TEST_F(Eval, NativeStackGuardStopsADeepRecursion) {
    EXPECT_FALSE(native_stack_exhausted());
    set_real_stack(2e8);
    double r = deep_sum(5e6);
    RunError e = take_error();
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.name_text(), u"StackOverFlow");
    EXPECT_EQ(e.code, 0);
    expect_partial_sum(r, 5e6);
    EXPECT_EQ(g_real_stack.top, 1);
}

void *small_stack_run(void *out) {
    auto *results = static_cast<double *>(out);
    results[0] = deep_sum(1e6);
    results[1] = TestRunErr();
    take_error();
    results[2] = deep_sum(5); // shallow recursion still works here
    results[3] = TestRunErr();
    return nullptr;
}

TEST_F(Eval, NativeStackGuardProtectsASmallThreadStack) {
    set_real_stack(2e7);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 256 * 1024), 0);
    double results[4] = {};
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, small_stack_run, results), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(results[1], 2);
    expect_partial_sum(results[0], 1e6);
    EXPECT_EQ(results[2], 15);
    EXPECT_EQ(results[3], 0);
}

// --- invalidated formulas and bad handles ----------------------------------------------

// The compiler folds constants by running a record that has no string area,
// a bare header and the constants buffer as its data array.
TEST_F(Eval, FoldingRecordRunsAsAFirstActivation) {
    uint8_t code[] = {0, 0, OpPushConst, OpPushConst, builtin(real_op::atan2_), OpReturn};
    int32_t header[kOperandStart] = {};
    header[kLastParam] = -1;
    header[kVarCount] = 3;
    header[kCodeLength] = sizeof code;
    header[kHeaderLength] = kOperandStart;
    header[kCodeStart] = 2;
    header[kStackBase] = 5;
    header[kDataLength] = 8;
    double constants[8] = {-1, -1, -1, 1, 1, 0, 0, 0};
    FormulaRecord scratch;
    scratch.code = code;
    scratch.header = header;
    scratch.data = constants;
    EXPECT_EQ(RealCal(&scratch, nullptr), std::atan2(1.0, 1.0));
    EXPECT_EQ(code[0], kIdle);
    EXPECT_EQ(constants[0], -1);
    EXPECT_EQ(TestRunErr(), 0);
}

// --- the run-error record -----------------------------------------------------------

TEST_F(Eval, FirstRecordedErrorWinsUntilRead) {
    int f1, f2;
    record_run_error(2, u"first", 1, 2, &f1);
    record_run_error(1, u"second", 2, 1, &f2);
    EXPECT_EQ(TestRunErr(), 2);
    EXPECT_EQ(TestRunErr(), 2); // testing does not clear
    RunError e = take_error();
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.name_text(), u"first");
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.formula_type, 2);
    EXPECT_EQ(e.formula, &f1);
    EXPECT_EQ(TestRunErr(), 0);
    e = take_error();
    EXPECT_EQ(e.type, 0);
    EXPECT_EQ(e.name, nullptr);
    EXPECT_EQ(e.formula, nullptr);
}

TEST_F(Eval, SetRunErrOverwritesAndUnpacksACallContext) {
    int formula;
    record_run_error(2, u"first", 1, 2, &formula);
    TmCallContext ctx = {3, &formula};
    SetRunErr(1, u"lib::f", 3, 0, &ctx);
    RunError e = take_error();
    EXPECT_EQ(e.type, 1);
    EXPECT_EQ(e.name_text(), u"lib::f");
    EXPECT_EQ(e.code, 3);
    EXPECT_EQ(e.formula_type, 3);
    EXPECT_EQ(e.formula, &formula);

    SetRunErr(2, u"g", 4, 1, &formula); // a formula type: the handle is taken as is
    e = take_error();
    EXPECT_EQ(e.formula_type, 1);
    EXPECT_EQ(e.formula, &formula);

    SetRunErr(5, nullptr, 0, 0, nullptr);
    EXPECT_EQ(TestRunErr(), 5);
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(TestRunErr(), 0);
}

// The error stays; only the reference to the formula that goes, and its type.
TEST_F(Eval, ForgettingAFormulaClearsOnlyItsHandleAndType) {
    int a, b;
    record_run_error(2, u"x", 7, 2, &a);
    forget_run_error_formula(&b);
    forget_run_error_formula(nullptr);
    EXPECT_EQ(g_run_error.formula, &a);
    forget_run_error_formula(&a);
    RunError e = take_error();
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.name_text(), u"x");
    EXPECT_EQ(e.code, 7);
    EXPECT_EQ(e.formula_type, 0);
    EXPECT_EQ(e.formula, nullptr);
}

// --- stack-size built-ins -------------------------------------------------------------

TEST_F(Eval, StackSizeBuiltinsRaiseSmallLimitsAndRefuseAbsurdOnes) {
    int formula;
    TmCallContext ctx = {2, &formula};
    auto real_max = [&](double x) { return builtin_set_real_stack_max(0, &x, &ctx); };
    EXPECT_EQ(real_max(3), 10);
    EXPECT_EQ(g_real_stack.limit, 10);
    EXPECT_EQ(real_max(1234.9), 1234);
    EXPECT_EQ(g_real_stack.limit, 1234);
    for (double small : {kNaN, -5.0, -1e300, -kInf, 0.0, 9.99}) {
        EXPECT_EQ(real_max(small), 10) << small;
        EXPECT_EQ(g_real_stack.limit, 10);
    }
    EXPECT_EQ(TestRunErr(), 0);
    for (double huge : {1e300, kInf, 2147483648.0}) {
        EXPECT_EQ(real_max(huge), 0) << huge;
        EXPECT_EQ(g_real_stack.limit, 0);
        EXPECT_EQ(g_real_stack.slots, nullptr);
        RunError e = take_error();
        EXPECT_EQ(e.type, 2);
        EXPECT_EQ(e.name_text(), u"SetRealStackMax");
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.formula_type, 2);
        EXPECT_EQ(e.formula, &formula);
    }

    ctx.type = 1;
    int64_t wide = 0x1'00000014; // the low 32 bits count
    EXPECT_EQ(builtin_set_int_stack_max(0, &wide, &ctx), 20);
    EXPECT_EQ(g_int_stack.limit, 20);
    wide = 0xFFFFFFFF; // -1 in 32 bits
    EXPECT_EQ(builtin_set_int_stack_max(0, &wide, &ctx), 10);

    ctx.type = 3;
    TmComplex arg = {25.9, 7}, result = {-1, -1};
    builtin_set_complex_stack_max(&result, 0, &arg, &ctx);
    EXPECT_EQ(result.re, 25);
    EXPECT_EQ(result.im, 0);
    EXPECT_EQ(g_complex_stack.limit, 25);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(Eval, StackSizeBuiltinRefusesWhileANestedActivationRuns) {
    // r(n) = which(n, r(n - 1), SetRealStackMax(50))
    set_real_stack(100);
    ExternalEntry set_max(&builtin_set_real_stack_max);
    RecordBuilder rb(1, 0, 0, u"r");
    Label other = rb.label(), end = rb.label();
    rb.push_var(0).test(OpWhichTest, other);
    rb.push_var(0).push_const(1).op(OpSub).call(OpCallReal, rb.index(), 0).which_end(end, 1);
    rb.bind(other).push_const(50).call(OpCallExternal, set_max.index(), 0);
    rb.op(OpWhichDefault, 2);
    rb.bind(end).ret();
    RecordPtr r = rb.build();

    double n = 2;
    EXPECT_EQ(RealCal(r.get(), &n), 0);
    RunError e = take_error();
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.name_text(), u"SetRealStackMax");
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.formula_type, 2);
    EXPECT_EQ(e.formula, r.get());
    EXPECT_EQ(g_real_stack.limit, 100);
    EXPECT_EQ(g_real_stack.top, 1);

    n = 0; // a first activation takes no frame, so resizing is allowed
    EXPECT_EQ(RealCal(r.get(), &n), 50);
    EXPECT_EQ(g_real_stack.limit, 50);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(Eval, ReleasedStacksRefuseNestedActivations) {
    set_real_stack(1000);
    value_stacks_release();
    EXPECT_EQ(g_real_stack.limit, 0);
    EXPECT_EQ(g_real_stack.top, 1);
    RecordBuilder rb(1, 1, 0, u"fact");
    RecordPtr fact = factorial(rb);
    double n = 3;
    EXPECT_EQ(RealCal(fact.get(), &n), 0);
    EXPECT_EQ(take_error().name_text(), u"StackOverFlow");
}

// --- listing and trace ---------------------------------------------------------------

TEST_F(Eval, DisassemblerShowsOperandsJumpsAndWriteBackLists) {
    SharedCell cell;
    RecordBuilder rb(1, 1, 0, u"fact");
    RecordPtr fact = factorial(rb);
    std::string listing = disassemble(fact.get());
    EXPECT_NE(listing.find("real formula \"fact\": params 1"), std::string::npos) << listing;
    EXPECT_NE(listing.find("OpPushVar        v0 (param)"), std::string::npos) << listing;
    EXPECT_NE(listing.find("OpStoreVar       v1 (auto)"), std::string::npos) << listing;
    EXPECT_NE(listing.find("OpPushConst      1\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("#" + std::to_string(rb.index()) + " \"fact\", m=0"),
              std::string::npos)
        << listing;
    EXPECT_NE(listing.find("OpWhichTest      -> code"), std::string::npos) << listing;
    EXPECT_NE(listing.find("OpReturn"), std::string::npos) << listing;

    RecordBuilder cb(1, 0, 0);
    cb.push_var(0).call(OpCallExternal, 9, 0, {{2, 0, 0}, {3, 0, int32_t(cell.index())}}).ret();
    RecordPtr caller = cb.build();
    listing = disassemble(caller.get());
    EXPECT_NE(listing.find("#9 external, m=0; write back arg0 -> v0 (param), arg0 -> cell #"),
              std::string::npos)
        << listing;

    caller->header[kHeaderLength] = kOperandStart + 1; // operands cut off
    listing = disassemble(caller.get());
    EXPECT_NE(listing.find("damaged record"), std::string::npos) << listing;
}

}  // namespace
}  // namespace tmx::test
