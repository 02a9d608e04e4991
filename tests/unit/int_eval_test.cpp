// The integer evaluator on hand-assembled records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "kernel/eval/native_guard.h"
#include "typed_eval_fixture.h"
#include "typed_record_builder.h"

namespace tmx::test {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

using IntEval = TypedEval;

int64_t binary(uint8_t op, int64_t a, int64_t b) {
    IntBuilder rb(0, 0, 0);
    rb.push_const(a).push_const(b).op(op).ret();
    RecordPtr f = rb.build();
    return IntCal(f.get(), nullptr);
}

int64_t unary(uint8_t op, int64_t t) {
    IntBuilder rb(0, 0, 0);
    rb.push_const(t).op(op).ret();
    RecordPtr f = rb.build();
    return IntCal(f.get(), nullptr);
}

uint8_t ib(int position) { return builtin_byte(position); }

// --- arithmetic ---------------------------------------------------------------------

TEST_F(IntEval, ArithmeticWrapsAroundWithoutRunErrors) {
    EXPECT_EQ(binary(OpAdd, kMax, 1), kMin);
    EXPECT_EQ(binary(OpSub, kMin, 1), kMax);
    EXPECT_EQ(binary(OpMul, kMax, 2), -2);
    EXPECT_EQ(binary(OpMul, kMin, -1), kMin);
    EXPECT_EQ(binary(OpMul, int64_t(1) << 32, int64_t(1) << 32), 0);
    EXPECT_EQ(unary(OpNeg, kMin), kMin);
    EXPECT_EQ(unary(OpNeg, 5), -5);
    EXPECT_EQ(binary(OpAdd, -3, 10), 7);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(IntEval, DivisionTruncatesAndRemainderTakesTheSignOfTheDividend) {
    EXPECT_EQ(binary(OpDiv, 7, 2), 3);
    EXPECT_EQ(binary(OpDiv, -7, 2), -3);
    EXPECT_EQ(binary(OpDiv, 7, -2), -3);
    EXPECT_EQ(binary(OpPow, -7, 3), -1);
    EXPECT_EQ(binary(OpPow, 7, -3), 1);
    EXPECT_EQ(binary(OpPow, 7, 3), 1);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(IntEval, MostNegativeValueByMinusOneIsDefined) {
    EXPECT_EQ(binary(OpDiv, kMin, -1), kMin);
    EXPECT_EQ(binary(OpPow, kMin, -1), 0);
    EXPECT_EQ(binary(OpDiv, kMin, 1), kMin);
    EXPECT_EQ(binary(OpPow, kMin, kMin), 0);
    EXPECT_EQ(binary(OpDiv, kMin, kMin), 1);
    EXPECT_EQ(binary(OpPow, kMax, kMin), kMax);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(IntEval, DivisionByZeroRecordsAnErrorAndKeepsTheDividend) {
    for (uint8_t op : {uint8_t(OpDiv), uint8_t(OpPow)}) {
        IntBuilder rb(0, 0, 0);
        // 7 op 0, then + 1: the division pops b and leaves a for the next step.
        rb.push_const(7).push_const(0).op(op).push_const(1).op(OpAdd).ret();
        RecordPtr f = rb.build();
        EXPECT_EQ(IntCal(f.get(), nullptr), 8);
        RunError e = take_run_error();
        EXPECT_EQ(e.type, 1);
        EXPECT_EQ(e.name_text(), u"Integer division by zero");
        EXPECT_EQ(e.code, 0);
        EXPECT_EQ(e.formula_type, 1);
        EXPECT_EQ(e.formula, f.get());

        SetRunErr(2, u"earlier", 3, 0, nullptr);
        EXPECT_EQ(IntCal(f.get(), nullptr), 8);
        EXPECT_EQ(take_run_error().name_text(), u"earlier");
    }
}

TEST_F(IntEval, ComparisonsAreSignedAndTruthTestsSeeAll64Bits) {
    EXPECT_EQ(binary(OpGt, -1, 1), 0);
    EXPECT_EQ(binary(OpLt, kMin, kMax), 1);
    EXPECT_EQ(binary(OpGe, 5, 5), 1);
    EXPECT_EQ(binary(OpLe, 6, 5), 0);
    EXPECT_EQ(binary(OpEq, kMin, kMin), 1);
    EXPECT_EQ(binary(OpNe, 0, int64_t(1) << 32), 1);
    // A value whose low 32 bits are 0 is still true.
    const int64_t high = int64_t(1) << 40;
    EXPECT_EQ(binary(OpAnd, high, kMin), 1);
    EXPECT_EQ(binary(OpAnd, high, 0), 0);
    EXPECT_EQ(binary(OpOr, 0, high), 1);
    EXPECT_EQ(binary(OpOr, 0, 0), 0);
    EXPECT_EQ(unary(OpNot, high), 0);
    EXPECT_EQ(unary(OpNot, 0), 1);

    IntBuilder rb(1, 0, 0);
    Label skip = rb.label();
    rb.push_var(0).test(OpIfTest, skip).push_const(9).store_var(0).op(OpIfEnd, 1);
    rb.bind(skip).ret();
    RecordPtr f = rb.build();
    int64_t arg = high;
    EXPECT_EQ(IntCal(f.get(), &arg), 0); // an if yields 0
    EXPECT_EQ(arg, 9);
}

// Increments from ordinary values are common to every type; here the wrap.
TEST_F(IntEval, IncrementsWrapOnVariablesAndCells) {
    struct Case {
        uint8_t op;
        int64_t start, result, after;
    } var_cases[] = {{OpPreIncVar, kMax, kMin, kMin},
                     {OpPreDecVar, kMin, kMax, kMax},
                     {OpPostIncVar, kMax, kMax, kMin},
                     {OpPostDecVar, kMin, kMin, kMax}},
      cell_cases[] = {{OpPreIncCommon, kMax, kMin, kMin},
                      {OpPreDecCommon, kMin, kMax, kMax},
                      {OpPostIncCommon, kMax, kMax, kMin},
                      {OpPostDecCommon, kMin, kMin, kMax}};
    for (const Case &c : var_cases) {
        IntBuilder rb(1, 0, 0);
        rb.op(c.op, 0).ret();
        RecordPtr f = rb.build();
        int64_t arg = c.start;
        EXPECT_EQ(IntCal(f.get(), &arg), c.result) << opcode_name(1, c.op);
        EXPECT_EQ(arg, c.after) << opcode_name(1, c.op);
    }
    for (const Case &c : cell_cases) {
        int64_t value = c.start;
        uint32_t cell = address_register(&value, AddressKind::SharedCell);
        IntBuilder rb(0, 0, 0);
        rb.op(c.op, int32_t(cell)).ret();
        RecordPtr f = rb.build();
        EXPECT_EQ(IntCal(f.get(), nullptr), c.result) << opcode_name(1, c.op);
        EXPECT_EQ(value, c.after) << opcode_name(1, c.op);
        address_release(cell);
    }
}

// --- built-ins ------------------------------------------------------------------------

TEST_F(IntEval, AbsNotAndPointerConversions) {
    EXPECT_EQ(unary(ib(int_op::abs_), -5), 5);
    EXPECT_EQ(unary(ib(int_op::abs_), kMin), kMin);
    EXPECT_EQ(unary(ib(int_op::abs_), kMax), kMax);
    EXPECT_EQ(unary(ib(int_op::return_), -6), 6); // byte 45 runs as abs
    EXPECT_EQ(unary(ib(int_op::not_), 0), -1);
    EXPECT_EQ(unary(ib(int_op::not_), kMin), kMax);
    EXPECT_EQ(unary(ib(int_op::itop_), 0x1234'5678'9ABC'DEF0), 0x1234'5678'9ABC'DEF0);
    EXPECT_EQ(unary(ib(int_op::ptoi_), 0x1'FFFF'FFFF), -1);
    EXPECT_EQ(unary(ib(int_op::ptoi_), 0x7FFF'FFFF'7FFF'FFFF), 0x7FFF'FFFF);
    EXPECT_EQ(unary(ib(int_op::ptoi_), 0x8000'0000), -2147483648LL);
}

TEST_F(IntEval, BitConversionsToAndFromDoubles) {
    const uint8_t itor = ib(int_op::itor_), rtoi = ib(int_op::rtoi_);
    EXPECT_EQ(as_real(unary(itor, -42)), -42.0);
    EXPECT_EQ(as_real(unary(itor, kMin)), -9223372036854775808.0);
    EXPECT_EQ(unary(rtoi, as_int(3.9)), 3);
    EXPECT_EQ(unary(rtoi, as_int(-3.9)), -3);
    EXPECT_EQ(unary(rtoi, as_int(-0.0)), 0);
    for (double bad : {std::nan(""), 1e300, -1e300, HUGE_VAL, 9223372036854775808.0})
        EXPECT_EQ(unary(rtoi, as_int(bad)), kMin) << bad;
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(IntEval, BitwiseAndShifts) {
    EXPECT_EQ(binary(ib(int_op::or_), 0xF0, 0x0F), 0xFF);
    EXPECT_EQ(binary(ib(int_op::and_), -1, kMin), kMin);
    EXPECT_EQ(binary(ib(int_op::xor_), -1, 0x0F), ~int64_t(0x0F));
    const uint8_t shl = ib(int_op::shl_), shr = ib(int_op::shr_);
    EXPECT_EQ(binary(shl, 1, 64), 0);
    EXPECT_EQ(binary(shl, 1, 63), kMin);
    EXPECT_EQ(binary(shl, 1, 0), 1);
    EXPECT_EQ(binary(shl, 1, 256 + 3), 8); // only the low 8 bits count
    EXPECT_EQ(binary(shl, 1, -1), 0);      // count 255
    EXPECT_EQ(binary(shr, -8, 1), -4);
    EXPECT_EQ(binary(shr, -8, 64), -1);
    EXPECT_EQ(binary(shr, 8, 64), 0);
    EXPECT_EQ(binary(shr, kMin, 63), -1);
    EXPECT_EQ(binary(shr, -1, 300), -1); // count 44
    EXPECT_EQ(binary(shr, 1024, 512 + 10), 1);
}

TEST_F(IntEval, PaddChangesOnlyTheLowHalf) {
    const uint8_t padd = ib(int_op::padd_);
    EXPECT_EQ(binary(padd, 0x12345678'00001000, 16), 0x12345678'00001010);
    EXPECT_EQ(binary(padd, 0x00000001'FFFFFFFF, 1), 0x00000001'00000000);
    EXPECT_EQ(binary(padd, 0x00000001'00000000, -1), 0x00000001'FFFFFFFF);
    EXPECT_EQ(binary(padd, 5, 0x7'00000003), 8); // b's high half is ignored
}

// Name "ab", one string "xyz": CodeStart 16; last valid byte, word and cell
// indexes 15, 7, 1.
class IntStringArea : public IntEval {
  protected:
    RecordPtr make(int position, int params) {
        IntBuilder rb(params, 0, 0, u"ab", {u"xyz"});
        EXPECT_EQ(rb.code_start(), 16);
        for (int v = 0; v < params; ++v) rb.push_var(v);
        rb.op(ib(position)).ret();
        return rb.build();
    }
    int64_t get(FormulaRecord *f, int64_t i) { return IntCal(f, &i); }
    int64_t set(FormulaRecord *f, int64_t i, int64_t v) {
        int64_t args[2] = {i, v};
        return IntCal(f, args);
    }
};

TEST_F(IntStringArea, GetExtendsBytesAndWordsAndReadsCells) {
    RecordPtr getc = make(int_op::getc_, 1), getw = make(int_op::getw_, 1),
              getn = make(int_op::getn_, 1);
    EXPECT_EQ(get(getc.get(), 2), 'a');
    EXPECT_EQ(get(getw.get(), 4), 'x');
    getc->code[5] = 0xF0;
    EXPECT_EQ(get(getc.get(), 5), -16);
    std::memcpy(getw->code + 8, "\xFF\xFF", 2);
    EXPECT_EQ(get(getw.get(), 4), 65535);
    int64_t cell;
    std::memcpy(&cell, getn->code + 8, 8);
    EXPECT_EQ(get(getn.get(), 1), cell);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(IntStringArea, SetStoresLowBitsAndYieldsTheIndex) {
    RecordPtr setc = make(int_op::setc_, 2), setw = make(int_op::setw_, 2),
              setn = make(int_op::setn_, 2);
    EXPECT_EQ(set(setc.get(), 15, 0x1FF), 15);
    EXPECT_EQ(setc->code[15], 0xFF);
    EXPECT_EQ(set(setw.get(), 7, 0x12345), 7);
    EXPECT_EQ(setw->code[14] | setw->code[15] << 8, 0x2345);
    EXPECT_EQ(set(setn.get(), 1, kMin + 7), 1);
    int64_t cell;
    std::memcpy(&cell, setn->code + 8, 8);
    EXPECT_EQ(cell, kMin + 7);
    EXPECT_EQ(TestRunErr(), 0);
}

TEST_F(IntStringArea, BadIndexesAreRefusedWithIntegerErrors) {
    struct Case {
        int position;
        const char16_t *name;
        int64_t index;
        int params;
    } cases[] = {
        {int_op::getc_, u"getc", 0, 1},
        {int_op::getc_, u"getc", 16, 1},
        {int_op::getc_, u"getc", -1, 1},
        // Not truncated to 32 bits: this is not index 2.
        {int_op::getc_, u"getc", 0x1'00000002, 1},
        {int_op::getw_, u"getw", 8, 1},
        {int_op::getn_, u"getn", 2, 1},
        {int_op::setc_, u"setc", 0, 2},
        {int_op::setw_, u"setw", kMin, 2},
        {int_op::setn_, u"setn", 2, 2},
    };
    for (const Case &c : cases) {
        RecordPtr f = make(c.position, c.params);
        std::vector<uint8_t> before(f->code, f->code + f->header[kCodeLength]);
        int64_t r = c.params == 1 ? get(f.get(), c.index) : set(f.get(), c.index, 77);
        EXPECT_EQ(r, c.index); // the top keeps the index
        EXPECT_TRUE(std::equal(before.begin(), before.end(), f->code));
        RunError e = take_run_error();
        EXPECT_EQ(e.type, 1);
        EXPECT_EQ(e.name_text(), c.name);
        EXPECT_EQ(e.code, 0);
        EXPECT_EQ(e.formula_type, 1);
        EXPECT_EQ(e.formula, f.get());
    }
}

// --- control flow and pending errors ---------------------------------------------------

TEST_F(IntEval, WhileLoopCountsAndWhichWithoutBranchFails) {
    // while (i < n) i++; then i.
    IntBuilder rb(1, 1, 0);
    Label top = rb.label(), end = rb.label();
    rb.push_const(0).store_var(1);
    rb.bind(top).push_var(1).push_var(0).op(OpLt).test(OpWhileTest, end);
    rb.op(OpPostIncVar, 1).jump(OpJump, top, 0);
    rb.bind(end).push_var(1).ret();
    RecordPtr loop = rb.build();
    for (int64_t n : {0, 1, 1000}) {
        int64_t arg = n;
        EXPECT_EQ(IntCal(loop.get(), &arg), n);
    }

    IntBuilder wb(0, 0, 0);
    Label none = wb.label(), done = wb.label();
    wb.push_const(0).test(OpWhichTest, none).push_const(5).which_end(done, 1);
    wb.bind(none).op(OpWhichNone, 1);
    wb.bind(done).ret();
    RecordPtr which = wb.build();
    IntCal(which.get(), nullptr);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 1);
    EXPECT_EQ(e.name_text(), u"which");
    EXPECT_EQ(e.formula_type, 1);
}

TEST_F(IntEval, OwnDivisionErrorEndsAnEndlessLoop) {
    // while (1) { x = x / 0 }; then x + 1.
    IntBuilder rb(0, 1, 0);
    Label top = rb.label(), end = rb.label();
    rb.push_const(12).store_var(0);
    rb.bind(top).push_const(1).test(OpWhileTest, end);
    rb.push_var(0).push_const(0).op(OpDiv).store_var(0).jump(OpJump, top, -1);
    rb.bind(end).push_var(0).push_const(1).op(OpAdd).ret();
    RecordPtr f = rb.build();
    EXPECT_EQ(IntCal(f.get(), nullptr), 13);
    EXPECT_EQ(take_run_error().name_text(), u"Integer division by zero");
}

// --- write-back lists and external functions -------------------------------------------

TmCallContext g_seen_context;
int g_seen_m;
int64_t TM_CALL double_first(int m, int64_t *args, TmCallContext *ctx) {
    g_seen_context = *ctx;
    g_seen_m = m;
    args[0] *= 2;
    return args[0] + args[1];
}

TEST_F(IntEval, ExternalFunctionsGetTheContextAndWriteBackByReference) {
    ExternalEntry fn(&double_first, 4);
    int64_t cell_value = 0;
    uint32_t cell = address_register(&cell_value, AddressKind::SharedCell);
    // f(a) = double_first(&a, 5) with arg0 also written to a shared cell.
    IntBuilder rb(1, 0, 0);
    rb.push_var(0).push_const(5);
    rb.call(OpCallExternal, fn.index(), 1, {{2, 0, 0}, {3, 0, int32_t(cell)}});
    rb.ret();
    RecordPtr f = rb.build();
    int64_t a = 21;
    EXPECT_EQ(IntCal(f.get(), &a), 42 + 5);
    EXPECT_EQ(a, 42);
    EXPECT_EQ(cell_value, 42);
    EXPECT_EQ(g_seen_m, 1);
    EXPECT_EQ(g_seen_context.type, 1);
    EXPECT_EQ(g_seen_context.hFor, f.get());
    address_release(cell);
}

// --- recursion, re-entry, stack limits ---------------------------------------------------

// fact(n) = (t = n, which(n <= 1, 1, fact(n - 1) * t)): the automatic t is
// read after the recursive call, so it must be private to each activation.
RecordPtr int_factorial(IntBuilder &rb) {
    Label other = rb.label(), end = rb.label();
    rb.push_var(0).store_var(1);
    rb.push_var(0).push_const(1).op(OpLe).test(OpWhichTest, other);
    rb.push_const(1).which_end(end, 1);
    rb.bind(other).push_var(0).push_const(1).op(OpSub).call(OpCallInt, rb.index(), 0);
    rb.push_var(1).op(OpMul).op(OpWhichDefault, 2);
    rb.bind(end).op(OpDropKeep, 1).ret();
    return rb.build(8);
}

// The recursion itself is common to every type; here the integer range:
// 20! is the largest factorial that fits, 21! wraps.
TEST_F(IntEval, RecursionReachesTheLargestFactorialAndWraps) {
    set_int_stack(1000);
    IntBuilder rb(1, 1, 0, u"fact");
    RecordPtr fact = int_factorial(rb);
    int64_t n = 20;
    EXPECT_EQ(IntCal(fact.get(), &n), 2432902008176640000);
    EXPECT_EQ(n, 20);
    n = 21; // wraps
    EXPECT_EQ(IntCal(fact.get(), &n), int64_t(uint64_t(2432902008176640000) * 21));
    EXPECT_EQ(TestRunErr(), 0);
    EXPECT_EQ(fact->code[0], kIdle);
    EXPECT_EQ(g_int_stack.top, 1);
}

// sum(n) = which(n <= 0, 0, n + sum(n - 1))
RecordPtr int_summation(IntBuilder &rb) {
    Label other = rb.label(), end = rb.label();
    rb.push_var(0).push_const(0).op(OpLe).test(OpWhichTest, other);
    rb.push_const(0).which_end(end, 1);
    rb.bind(other).push_var(0).push_var(0).push_const(1).op(OpSub);
    rb.call(OpCallInt, rb.index(), 0).op(OpAdd).op(OpWhichDefault, 2);
    rb.bind(end).ret();
    return rb.build(8);
}

TEST_F(IntEval, NativeStackGuardStopsADeepRecursion) {
    set_int_stack(20'000'000); // room for far more levels than the native stack allows
    IntBuilder rb(1, 0, 0, u"sum");
    RecordPtr sum = int_summation(rb);
    int64_t n = 5'000'000;
    const int64_t r = IntCal(sum.get(), &n);
    RunError e = take_run_error();
    EXPECT_EQ(e.type, 1);
    EXPECT_EQ(e.name_text(), u"StackOverFlow");
    EXPECT_GT(r, 10 * n); // got some levels deep ...
    EXPECT_LT(r, n * (n + 1) / 2); // ... but not to the bottom
    EXPECT_EQ(g_int_stack.top, 1);
    EXPECT_EQ(sum->code[0], kIdle);
    EXPECT_FALSE(native_stack_exhausted());
}

// --- refusals, listing, trace ---------------------------------------------------------------

// The listing and trace of a recursion are common to every type; here an
// instruction only integers have.
TEST_F(IntEval, ListingNamesIntegerInstructions) {
    IntBuilder sb(0, 0, 0);
    sb.push_const(-8).push_const(1).op(ib(int_op::shr_)).ret();
    RecordPtr shr = sb.build();
    EXPECT_NE(disassemble(shr.get()).find("shr"), std::string::npos);
}

}  // namespace
}  // namespace tmx::test
