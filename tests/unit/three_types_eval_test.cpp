// What the three evaluators must do alike, run once per number type: the
// cases differ only in the values of the type, given by NumberKind below.
// Behaviour that belongs to one type (wrapping integers, real parts of
// complex values, IEEE reals) stays in that type's own test file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formula_support.h"
#include "kernel/address_table.h"
#include "kernel/disasm.h"
#include "kernel/eval/value_stacks.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "record_builder.h"
#include "typed_eval_fixture.h"
#include "typed_record_builder.h"

namespace tmx::test {
namespace {

// A number type as the tests see it.
template <class Slot> struct NumberKind;

template <> struct NumberKind<int64_t> {
    static constexpr int kType = 1;
    static constexpr const char16_t *kExport = u"IntCal";
    static int64_t of(double v) { return int64_t(v); }
    static int64_t eval(void *f, int64_t *args) { return IntCal(f, args); }
    static constexpr uint8_t kCallOwn = OpCallInt;
    static constexpr const char *kWord = "integer"; // in listings
    static constexpr const char *kShown120 = "120";
    static constexpr int kExternalType = 4;
    static double re(int64_t v) { return double(v); }
    template <int64_t (*Body)(int64_t *, TmCallContext *)>
    static int64_t TM_CALL external(int, int64_t *args, TmCallContext *ctx) {
        return Body(args, ctx);
    }
    static void set_stack(int limit) { set_int_stack(limit); }
    static ValueStack<int64_t> &stack() { return g_int_stack; }
    // Bytes past the built-ins that end an activation with zero.
    static std::vector<int> bad_bytes() { return {64, 74, 200, 255}; }
};

template <> struct NumberKind<double> {
    static constexpr int kType = 2;
    static constexpr const char16_t *kExport = u"RealCal";
    static double of(double v) { return v; }
    static double eval(void *f, double *args) { return RealCal(f, args); }
    static constexpr uint8_t kCallOwn = OpCallReal;
    static constexpr const char *kWord = "real"; // in listings
    static constexpr const char *kShown120 = "120";
    static constexpr int kExternalType = 5;
    static double re(double v) { return v; }
    template <double (*Body)(double *, TmCallContext *)>
    static double TM_CALL external(int, double *args, TmCallContext *ctx) {
        return Body(args, ctx);
    }
    static void set_stack(int limit) { set_real_stack_limit(limit); }
    static ValueStack<double> &stack() { return g_real_stack; }
    static std::vector<int> bad_bytes() { return {75, 128, 255}; }
};

template <> struct NumberKind<TmComplex> {
    static constexpr int kType = 3;
    static constexpr const char16_t *kExport = u"ComplexCal";
    static TmComplex of(double v) { return {v, 0}; }
    static TmComplex eval(void *f, TmComplex *args) { return ComplexCal(f, args); }
    static constexpr uint8_t kCallOwn = OpCallComplex;
    static constexpr const char *kWord = "complex"; // in listings
    static constexpr const char *kShown120 = "(120, 0)";
    static constexpr int kExternalType = 6;
    static double re(TmComplex v) { return v.re; }
    template <TmComplex (*Body)(TmComplex *, TmCallContext *)>
    static void TM_CALL external(TmComplex *result, int, TmComplex *args, TmCallContext *ctx) {
        *result = Body(args, ctx);
    }
    static void set_stack(int limit) { set_complex_stack(limit); }
    static ValueStack<TmComplex> &stack() { return g_complex_stack; }
    static std::vector<int> bad_bytes() { return {66, 74, 255}; }
};

template <class Slot> bool same_bits(const Slot &a, const Slot &b) {
    return std::memcmp(&a, &b, sizeof(Slot)) == 0;
}

// An external function of the type, built from a body that takes the
// arguments and the call context.
template <class Slot, Slot (*Body)(Slot *, TmCallContext *)> ExternalEntry *new_external() {
    using Kind = NumberKind<Slot>;
    return new ExternalEntry(&Kind::template external<Body>, Kind::kExternalType);
}

int32_t g_top_seen;
template <class Slot> Slot report_top(Slot *, TmCallContext *) {
    g_top_seen = NumberKind<Slot>::stack().top;
    return NumberKind<Slot>::of(0);
}

// reenter(d) calls h(100, d - 1) back while h runs (the copy path) and
// reports the parameter the nested run changed.
double g_inner_arg;
template <class Slot> Slot reenter(Slot *args, TmCallContext *ctx) {
    using Kind = NumberKind<Slot>;
    if (Kind::re(args[0]) <= 0) return Kind::of(0);
    Slot inner[2] = {Kind::of(100), Kind::of(Kind::re(args[0]) - 1)};
    Slot r = Kind::eval(ctx->hFor, inner);
    g_inner_arg = Kind::re(inner[0]);
    return Kind::of(Kind::re(r) + 1000);
}

template <class Slot> class EveryType : public TypedEval {
  protected:
    using Kind = NumberKind<Slot>;
    using Builder = TypedBuilder<Slot>;
    static Slot zero() { return Kind::of(0); }

    // Takes the pending run error: `type` (with `name`, or none) recorded by
    // `formula`, a formula of this type.
    static void expect_run_error(int type, const char16_t *name, const FormulaRecord *formula) {
        RunError e = take_run_error();
        EXPECT_EQ(e.type, type);
        if (name)
            EXPECT_EQ(e.name_text(), name);
        else
            EXPECT_EQ(e.name, nullptr);
        EXPECT_EQ(e.code, 0);
        EXPECT_EQ(e.formula_type, Kind::kType);
        EXPECT_EQ(e.formula, formula);
    }

    // A recursive formula of one parameter named `name`, built by `body`
    // with `autos` automatic variables, and a stack of `stack` slots.
    struct Recursive {
        uint32_t index; // in the address table
        RecordPtr f;
    };
    static Recursive recursive(const char16_t *name, int autos, RecordPtr (*body)(Builder &),
                               int stack) {
        Kind::set_stack(stack);
        Builder rb(1, autos, 0, name);
        RecordPtr f = body(rb);
        return {rb.index(), std::move(f)};
    }

    // sum(n) = which(n <= 0, 0, n + sum(n - 1)), calling itself in place.
    static RecordPtr summation(Builder &rb) {
        Label other = rb.label(), end = rb.label();
        rb.push_var(0).push_const(Kind::of(0)).op(OpLe).test(OpWhichTest, other);
        rb.push_const(Kind::of(0)).which_end(end, 1);
        rb.bind(other).push_var(0).push_var(0).push_const(Kind::of(1)).op(OpSub);
        rb.call(Kind::kCallOwn, rb.index(), 0).op(OpAdd).op(OpWhichDefault, 2);
        rb.bind(end).ret();
        return rb.build(8);
    }

    // fact(n) = (t = n, which(n <= 1, 1, fact(n - 1) * t)): the automatic t is
    // read after the recursive call, so it must be private to each activation.
    static RecordPtr factorial(Builder &rb) {
        Label other = rb.label(), end = rb.label();
        rb.push_var(0).store_var(1);
        rb.push_var(0).push_const(Kind::of(1)).op(OpLe).test(OpWhichTest, other);
        rb.push_const(Kind::of(1)).which_end(end, 1);
        rb.bind(other).push_var(0).push_const(Kind::of(1)).op(OpSub);
        rb.call(Kind::kCallOwn, rb.index(), 0);
        rb.push_var(1).op(OpMul).op(OpWhichDefault, 2);
        rb.bind(end).op(OpDropKeep, 1).ret();
        return rb.build(8);
    }
};

using NumberTypes = ::testing::Types<int64_t, double, TmComplex>;
TYPED_TEST_SUITE(EveryType, NumberTypes);

TYPED_TEST(EveryType, BytesAboveTheSetEndTheActivationWithZero) {
    using Kind = typename TestFixture::Kind;
    for (int byte : Kind::bad_bytes()) {
        typename TestFixture::Builder rb(0, 0, 0);
        rb.push_const(Kind::of(5)).op(uint8_t(byte)).push_const(Kind::of(6)).ret();
        RecordPtr f = rb.build();
        EXPECT_TRUE(same_bits(Kind::eval(f.get(), nullptr), TestFixture::zero())) << byte;
        EXPECT_EQ(f->code[0], kIdle) << byte;
    }
    EXPECT_EQ(TestRunErr(), 0);
}

// A formula that something it calls has lost fails with the run error its
// CodeStart names, runs nothing, and leaves an earlier error in place.
TYPED_TEST(EveryType, InvalidatedFormulaFailsWithoutRunning) {
    using Kind = typename TestFixture::Kind;
    for (int32_t code_start : {kInvalidCalleeDeleted, kInvalidFunctionRemoved}) {
        TypeParam ran = TestFixture::zero();
        const uint32_t cell = address_register(&ran, AddressKind::SharedCell);
        typename TestFixture::Builder rb(0, 0, 0);
        rb.op(OpPreIncCommon, int32_t(cell)).ret();
        RecordPtr f = rb.build();
        f->header[kCodeStart] = code_start;
        EXPECT_TRUE(same_bits(Kind::eval(f.get(), nullptr), TestFixture::zero()));
        EXPECT_TRUE(same_bits(ran, TestFixture::zero()));
        EXPECT_EQ(f->code[0], kIdle);
        TestFixture::expect_run_error(-code_start, nullptr, f.get());

        SetRunErr(3, u"first", 1, 0, nullptr);
        Kind::eval(f.get(), nullptr);
        EXPECT_EQ(take_run_error().type, 3);
        address_release(cell);
    }
}

TYPED_TEST(EveryType, StackOverflowYieldsZeroAtTheFailingDepthOnly) {
    using Kind = typename TestFixture::Kind;
    // Each nested sum() frame takes 10 slots: with a limit of 30 the nested
    // activations for 9 and 8 fit, the one for 7 does not.
    auto [sum_index, sum] = TestFixture::recursive(u"sum", 0, TestFixture::summation, 30);
    TypeParam n = Kind::of(10);
    EXPECT_TRUE(same_bits(Kind::eval(sum.get(), &n), Kind::of(10 + 9 + 8)));
    TestFixture::expect_run_error(Kind::kType, u"StackOverFlow", sum.get());
    EXPECT_EQ(Kind::stack().top, 1);
    EXPECT_EQ(sum->code[0], kIdle);
    // Nothing is left behind: the same call succeeds once the stack is large.
    Kind::set_stack(1000);
    EXPECT_TRUE(same_bits(Kind::eval(sum.get(), &n), Kind::of(55)));
    EXPECT_EQ(TestRunErr(), 0);

    value_stacks_release(); // no stack at all: the first nested call fails
    EXPECT_TRUE(same_bits(Kind::eval(sum.get(), &n), Kind::of(10)));
    EXPECT_EQ(take_run_error().name_text(), u"StackOverFlow");
}

TYPED_TEST(EveryType, NullHandleIsRefused) {
    using Kind = typename TestFixture::Kind;
    EXPECT_TRUE(same_bits(Kind::eval(nullptr, nullptr), TestFixture::zero()));
    TestFixture::expect_run_error(Kind::kType, Kind::kExport, nullptr);
}

// From 10, on a parameter and on a shared cell.  The wrap-around of integers
// and the untouched imaginary part stay with their own types.
TYPED_TEST(EveryType, IncrementsAndDecrementsOfVariablesAndCells) {
    using Kind = typename TestFixture::Kind;
    struct Case {
        uint8_t var_op, cell_op;
        double result, after;
    } cases[] = {{OpPreIncVar, OpPreIncCommon, 11, 11},
                 {OpPreDecVar, OpPreDecCommon, 9, 9},
                 {OpPostIncVar, OpPostIncCommon, 10, 11},
                 {OpPostDecVar, OpPostDecCommon, 10, 9}};
    for (const Case &c : cases) {
        const char *name = opcode_name(Kind::kType, c.var_op);
        typename TestFixture::Builder rb(1, 0, 0);
        rb.op(c.var_op, 0).ret();
        RecordPtr f = rb.build();
        TypeParam arg = Kind::of(10);
        EXPECT_TRUE(same_bits(Kind::eval(f.get(), &arg), Kind::of(c.result))) << name;
        EXPECT_TRUE(same_bits(arg, Kind::of(c.after))) << name;

        TypeParam value = Kind::of(10);
        const uint32_t cell = address_register(&value, AddressKind::SharedCell);
        typename TestFixture::Builder cb(0, 0, 0);
        cb.op(c.cell_op, int32_t(cell)).ret();
        RecordPtr g = cb.build();
        EXPECT_TRUE(same_bits(Kind::eval(g.get(), nullptr), Kind::of(c.result))) << name;
        EXPECT_TRUE(same_bits(value, Kind::of(c.after))) << name;
        address_release(cell);
    }
}

TYPED_TEST(EveryType, RecursionKeepsAutomaticVariablesPrivate) {
    using Kind = typename TestFixture::Kind;
    auto [fact_index, fact] = TestFixture::recursive(u"fact", 1, TestFixture::factorial, 1000);
    TypeParam n = Kind::of(10);
    EXPECT_TRUE(same_bits(Kind::eval(fact.get(), &n), Kind::of(3628800)));
    EXPECT_TRUE(same_bits(n, Kind::of(10)));
    EXPECT_EQ(TestRunErr(), 0);
    EXPECT_EQ(fact->code[0], kIdle);
    EXPECT_EQ(Kind::stack().top, 1);
}

TYPED_TEST(EveryType, RecursiveCallsUseTheInPlacePath) {
    // r(a, b, c) = which(a, r(a - 1, b, c), probe()): each in-place frame
    // leaves the three parameters in the caller's stack.
    using Kind = typename TestFixture::Kind;
    Kind::set_stack(1000);
    std::unique_ptr<ExternalEntry> probe(new_external<TypeParam, report_top<TypeParam>>());
    typename TestFixture::Builder rb(3, 0, 0);
    Label other = rb.label(), end = rb.label();
    rb.push_var(0).test(OpWhichTest, other);
    rb.push_var(0).push_const(Kind::of(1)).op(OpSub).push_var(1).push_var(2);
    rb.call(Kind::kCallOwn, rb.index(), 2).which_end(end, 1);
    rb.bind(other).call(OpCallExternal, probe->index(), -1).op(OpWhichDefault, 2);
    rb.bind(end).ret();
    RecordPtr r = rb.build(8);
    const int32_t *h = r->header;
    const int32_t in_place = h[kVarCount] - h[kLastParam] + (h[kDataLength] - h[kStackBase]) + 1;
    for (int depth : {1, 2}) {
        TypeParam args[3] = {Kind::of(depth), Kind::of(0), Kind::of(0)};
        Kind::eval(r.get(), args);
        EXPECT_EQ(g_top_seen, 1 + depth * in_place) << depth;
        EXPECT_EQ(Kind::stack().top, 1);
        EXPECT_EQ(Kind::stack().copy_args, 1);
    }
}

// h(a, d) = (a = a + 1) + reenter(d)
TYPED_TEST(EveryType, ReentryFromAnExternalFunctionCopiesArgumentsInAndOut) {
    using Kind = typename TestFixture::Kind;
    std::unique_ptr<ExternalEntry> ext(new_external<TypeParam, reenter<TypeParam>>());
    typename TestFixture::Builder rb(2, 0, 0, u"h");
    rb.push_var(0).push_const(Kind::of(1)).op(OpAdd).store_var(0);
    rb.push_var(1).call(OpCallExternal, ext->index(), 0).op(OpAdd).ret();
    RecordPtr h = rb.build();

    Kind::set_stack(100);
    TypeParam args[2] = {Kind::of(1), Kind::of(1)};
    EXPECT_TRUE(same_bits(Kind::eval(h.get(), args), Kind::of(2 + (101 + 1000))));
    EXPECT_EQ(g_inner_arg, 101);
    EXPECT_TRUE(same_bits(args[0], Kind::of(2)));
    EXPECT_EQ(h->code[0], kIdle);
    EXPECT_EQ(Kind::stack().top, 1);
    EXPECT_EQ(TestRunErr(), 0);

    // Without a stack the nested run fails at once: nothing ran, nothing
    // was copied back.
    value_stacks_release();
    args[0] = args[1] = Kind::of(1);
    EXPECT_TRUE(same_bits(Kind::eval(h.get(), args), Kind::of(2 + 1000)));
    EXPECT_EQ(g_inner_arg, 100);
    EXPECT_EQ(take_run_error().name_text(), u"StackOverFlow");
}

TYPED_TEST(EveryType, ListingAndTraceShowTheRecursion) {
    using Kind = typename TestFixture::Kind;
    auto [index, fact] = TestFixture::recursive(u"fact", 1, TestFixture::factorial, 100);
    const std::string call_name = opcode_name(Kind::kType, Kind::kCallOwn);
    std::string listing = disassemble(fact.get());
    EXPECT_NE(listing.find(std::string(Kind::kWord) + " formula \"fact\""), std::string::npos)
        << listing;
    std::string call_line = call_name;
    call_line.resize(17, ' '); // the operand column
    call_line += "#" + std::to_string(index) + " \"fact\"";
    EXPECT_NE(listing.find(call_line), std::string::npos) << listing;

    TypeParam n = Kind::of(5);
    set_trace(true);
    ::testing::internal::CaptureStderr();
    const TypeParam traced = Kind::eval(fact.get(), &n);
    std::string trace = ::testing::internal::GetCapturedStderr();
    set_trace(false);
    EXPECT_TRUE(same_bits(traced, Kind::of(120)));
    EXPECT_TRUE(same_bits(Kind::eval(fact.get(), &n), Kind::of(120)));
    EXPECT_NE(trace.find(call_name), std::string::npos) << trace;
    EXPECT_NE(trace.find("OpMul"), std::string::npos) << trace;
    EXPECT_NE(trace.find(std::string("top ") + Kind::kShown120), std::string::npos) << trace;
}

}  // namespace
}  // namespace tmx::test
