// The compilers' limits: nesting as deep as the source allows without native
// recursion, the longest source, the largest string area, and work buffers
// that stop growing at their limit and fail with status 1 instead of taking
// all memory.
#include <gtest/gtest.h>

#include <string>

#include "kernel/limits.h"
#include "kernel/work_buffers.h"
#include "limits_support.h"

namespace tmx::limits_test {
namespace {

// Small enough that a pass recursing once per bracket level would overflow
// it within a few thousand levels.
constexpr size_t kSmallThreadStack = 256 * 1024;

class CompileLimits : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override {
        take_run_error();
        FreeTamrix();
    }
};

std::u16string nested(const std::u16string &open, const std::u16string &inner,
                      const std::u16string &close, size_t depth) {
    std::u16string s;
    s.reserve(depth * (open.size() + close.size()) + inner.size());
    for (size_t i = 0; i < depth; ++i) s += open;
    s += inner;
    for (size_t i = 0; i < depth; ++i) s += close;
    return s;
}

TEST_F(CompileLimits, AMillionNestedBracketsCompileOnASmallThreadStack) {
    const std::u16string plain = nested(u"(", u"7", u")", 1000000);
    // Mixed kinds, so that matching really compares each pair.
    const std::u16string mixed = nested(u"[{(", u"2", u")}]", 333333);
    // Every level adds: a million pending operands on the evaluation stack.
    const std::u16string sums = nested(u"1+(", u"1", u")", 1000000);
    run_on_thread(kSmallThreadStack, [&] {
        for (int type = 1; type <= 3; ++type) {
            EXPECT_EQ(run(type, plain), 7) << type;
            EXPECT_EQ(run(type, mixed), 2) << type;
            EXPECT_EQ(run(type, sums), 1000001) << type;
        }
        EXPECT_EQ(take_run_error().type, 0);
    });
}

TEST_F(CompileLimits, DeepNestingOfCallsControlAndUnaryOperators) {
    run_on_thread(kSmallThreadStack, [] {
        // Nested calls: argument lists inside argument lists.
        EXPECT_EQ(run(2, nested(u"abs(", u"-3", u")", 300000)), 3);
        EXPECT_EQ(run(2, nested(u"max(1,", u"5", u")", 200000)), 5);
        // Nested control functions: one jump record per level.
        EXPECT_EQ(run(2, u"(x)=(" + nested(u"if(1,", u"x=4", u")", 200000) + u", x)"), 4);
        EXPECT_EQ(run(1, u"(x)=(" + nested(u"if(1,", u"x=4", u")", 200000) + u", x)"), 4);
        // Unary minus folded a hundred thousand times.
        EXPECT_EQ(run(2, nested(u"-(", u"1", u")", 100001)), -1);
        EXPECT_EQ(run(3, nested(u"-(", u"1", u")", 100000)), 1);
        // A loop inside every level: the break and continue records.
        EXPECT_EQ(run(2, u"(k)=(" + nested(u"while(k<1,", u"k++, break()", u")", 50000) + u", k)"),
                  1);
    });
}

TEST_F(CompileLimits, UnbalancedDeepNestingIsErrorTwo) {
    run_on_thread(kSmallThreadStack, [] {
        for (int type = 1; type <= 3; ++type) {
            Compiled open = compile(type, std::u16string(1000000, u'(') + u"1");
            EXPECT_EQ(open.status, 2) << type;
            Compiled close = compile(type, u"1" + std::u16string(1000000, u')'));
            EXPECT_EQ(close.status, 2) << type;
            // A wrong kind of bracket in the innermost level.
            Compiled wrong = compile(type, nested(u"(", u"[1)", u")", 500000));
            EXPECT_EQ(wrong.status, 2) << type;
        }
    });
}

TEST_F(CompileLimits, SourcesUpToTheLimitCompileLongerOnesAreErrorThirtyNine) {
    // kMaxSourceChars characters exactly: brackets around a literal, padded
    // with a space.
    const size_t depth = (kMaxSourceChars - 2) / 2;
    std::u16string at_limit = nested(u"(", u"5", u")", depth) + u" ";
    ASSERT_EQ(at_limit.size(), size_t(kMaxSourceChars));
    EXPECT_EQ(run(2, at_limit), 5);

    std::u16string over = at_limit + u" ";
    for (int type = 1; type <= 3; ++type) {
        Compiled c = compile(type, over);
        EXPECT_EQ(c.status, kErrorSourceTooLong) << type;
        EXPECT_EQ(c.err_begin, 0);
        EXPECT_EQ(c.err_end, 0);
        EXPECT_EQ(c.handle, nullptr);
    }
    // A named formula beyond the limit is not registered: the name is free.
    Compiled named = compile(2, u"f()=" + over);
    EXPECT_EQ(named.status, kErrorSourceTooLong);
    EXPECT_EQ(compile(2, u"f()=1").status, 0);
}

TEST_F(CompileLimits, AHundredMegabyteSourceIsRefusedWithoutGrowingTheBuffers) {
    std::u16string huge(50 * 1024 * 1024, u'1');
    for (size_t i = 1; i < huge.size(); i += 2) huge[i] = u'+';
    for (int type = 1; type <= 3; ++type) {
        EXPECT_EQ(compile(type, huge).status, kErrorSourceTooLong) << type;
    }
    EXPECT_LE(g_work.token_capacity, 30);
    EXPECT_LE(g_work.code_capacity, 30);
}

TEST_F(CompileLimits, StringAreaBeyondItsLimitIsRefusedBeforeAnythingIsSized) {
    // A dozen characters asking for a 2 GB code array.
    for (const char16_t *src : {u"\"\\[1000000000]\"", u"\"\\&\\[250000000]\"",
                                u"f()=\"\\[40000000]\"+\"\\[40000000]\""}) {
        Compiled c = compile(2, src);
        EXPECT_EQ(c.status, kErrorSourceTooLong);
        EXPECT_EQ(c.err_begin, 0);
        EXPECT_EQ(c.err_end, 0);
    }
    EXPECT_LE(g_work.code_capacity, 30);
    // Just below the limit the string is built (its value: its word index).
    Compiled big = compile(2, u"\"\\[33554428]\"");
    ASSERT_EQ(big.status, 0);
    EXPECT_EQ(evaluate(2, big), 2);
    EXPECT_LE(int64_t(g_work.code_capacity), kMaxWorkBufferBytes);
    DeleteFor(2, big.handle);
}

// Capacity in bytes of the buffer a growth code names.
int64_t buffer_bytes(int code) {
    switch (code) {
    case kGrowTokens: return int64_t(g_work.token_capacity) * int64_t(sizeof(Token));
    case kGrowCode: return g_work.code_capacity;
    case kGrowHeader: return int64_t(g_work.header_capacity) * 4;
    case kGrowConstants: return int64_t(g_work.complex_capacity) * 16;
    case kGrowBracketStack:
        return int64_t(g_work.bracket_stack_capacity) * int64_t(sizeof(BracketRecord));
    case kGrowControlStack:
        return int64_t(g_work.control_stack_capacity) * int64_t(sizeof(ControlRecord));
    default: return int64_t(g_work.store_stack_capacity) * int64_t(sizeof(StoreRecord));
    }
}

TEST_F(CompileLimits, WorkBuffersStopGrowingAtTheirLimit) {
    for (int code = kGrowTokens; code >= kGrowStoreStack; --code) {
        ASSERT_TRUE(work_buffers_allocate());
        int steps = 0;
        int64_t last = buffer_bytes(code);
        while (work_buffers_grow(code, 3)) {
            const int64_t now = buffer_bytes(code);
            EXPECT_GT(now, last) << code;
            EXPECT_LE(now, kMaxWorkBufferBytes) << code;
            last = now;
            ASSERT_LT(++steps, 40) << code;
        }
        // The last growth filled the buffer up to the limit, short of one
        // entry at most; the refused one released every buffer.
        EXPECT_GT(last, kMaxWorkBufferBytes - 64) << code;
        EXPECT_FALSE(g_work.allocated) << code;
        EXPECT_EQ(g_work.tokens, nullptr);
        EXPECT_EQ(g_work.code, nullptr);
        EXPECT_EQ(g_work.code_capacity, 0);
        // The next compile starts again from the initial sizes.
        EXPECT_EQ(run(2, u"1+2"), 3) << code;
        EXPECT_EQ(g_work.code_capacity, 30);
    }
}

TEST_F(CompileLimits, TheLargestSourcesStayWithinTheWorkBufferLimit) {
    // The shapes that need the most of each buffer per character: one token
    // per character, one constant per two, a string per few.
    std::u16string sums;
    sums.reserve(kMaxSourceChars);
    while (sums.size() + 2 < size_t(kMaxSourceChars)) sums += u"1+";
    sums += u"1";
    EXPECT_EQ(run(2, sums), double(sums.size() / 2 + 1));
    std::u16string strings;
    strings.reserve(kMaxSourceChars);
    while (strings.size() + 4 < size_t(kMaxSourceChars)) strings += u"\"\"+";
    strings += u"1";
    Compiled c = compile(3, strings);
    EXPECT_EQ(c.status, 0);
    EXPECT_TRUE(g_work.allocated);
    EXPECT_LE(buffer_bytes(kGrowTokens), kMaxWorkBufferBytes);
}

}  // namespace
}  // namespace tmx::limits_test
