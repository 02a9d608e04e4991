// What only the inside of the data library shows: the handle table, the
// number parsers and the format-field grammar.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <set>

#include "ext/data/format_fields.h"
#include "ext/data/handle_table.h"
#include "ext/data/number_text.h"

namespace tmdata {
namespace {

TEST(HandleTable, IssuesPositiveDistinctHandlesAndForgetsRemovedOnes) {
    HandleTable table;
    ObjectEntry entries[3] = {};
    std::set<uint32_t> seen;
    for (int i = 0; i < 100000; ++i) {
        const uint32_t h = table.issue();
        ASSERT_NE(h, 0u);
        ASSERT_LT(h, 0x80000000u);  // positive, and a denormal inside a double
        ASSERT_TRUE(seen.insert(h).second);
    }
    const uint32_t h = table.issue();
    ASSERT_TRUE(table.add(h, &entries[0]));
    EXPECT_EQ(table.find(h), &entries[0]);  // now cached
    table.remove(h);
    EXPECT_EQ(table.find(h), nullptr);      // the cache forgot it too
    EXPECT_EQ(table.find(0), nullptr);
    EXPECT_EQ(table.find(h ^ 1), nullptr);
}

TEST(HandleTable, NeverIssuesAHandleThatIsLive) {
    HandleTable table;
    ObjectEntry entry{};
    const uint32_t first = table.issue();
    ASSERT_TRUE(table.add(first, &entry));
    for (int i = 0; i < 1000; ++i) EXPECT_NE(table.issue(), first);
}

TEST(NumberText, ComplexTextSplitsAtTheFirstSignAfterADigit) {
    const struct {
        const char16_t *text;
        double re, im;
    } cases[] = {
        {u"3-4i", 3, -4},        {u"2+i", 2, 1},         {u"-i", 0, -1},
        {u"1e-5i", 0, 1e-5},     {u"7", 7, 0},           {u"i", 0, 1},
        {u"-2.5e+3-1e-2I", -2500, -0.01}, {u"+i", 0, 1}, {u"", 0, 0},
        {u" 4 -5i", 4, -5},     {u"x", 0, 0},           {u".5-.5i", 0.5, -0.5},
    };
    for (const auto &c : cases) {
        double re = NAN, im = NAN;
        parse_complex(c.text, &re, &im);
        EXPECT_DOUBLE_EQ(re, c.re) << std::u16string(c.text).size();
        EXPECT_DOUBLE_EQ(im, c.im) << std::u16string(c.text).size();
    }
}

TEST(NumberText, IntegersSaturateAndStopAtTheFirstNonDigit) {
    EXPECT_EQ(parse_int64(u"  -12ab"), -12);
    EXPECT_EQ(parse_int64(u"99999999999999999999"), INT64_MAX);
    EXPECT_EQ(parse_int64(u"-99999999999999999999"), INT64_MIN);
    EXPECT_EQ(parse_int32(u"3000000000"), INT32_MAX);
    EXPECT_EQ(parse_int32(u"-3000000000"), INT32_MIN);
    EXPECT_EQ(parse_int64(u"+"), 0);
    EXPECT_DOUBLE_EQ(parse_real(u" 1.5e3x"), 1500);
    EXPECT_TRUE(std::isinf(parse_real(u"1e999")));
    EXPECT_EQ(parse_real(u"1e-999"), 0);
    EXPECT_EQ(general_text(0.5, 18), u"0.5");
    EXPECT_EQ(general_text(1e300, 3), u"1e+300");
    EXPECT_EQ(general_text(2.0 / 3, 0), u"0.7");
    EXPECT_EQ(general_text(-1e-300, 40).size(), 47u);
}

// The editor's toolkit takes LC_NUMERIC from the environment; the texts the
// library makes must not follow it.
TEST(NumberText, CommaDecimalLocaleChangesNothing) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    EXPECT_EQ(general_text(1.5, 18), u"1.5");
    EXPECT_DOUBLE_EQ(parse_real(u"2.25"), 2.25);
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(FormatFields, GrammarOfAField) {
    const struct {
        const char16_t *format;
        bool ok;
        int arg;
        const char16_t *type, *third;
    } cases[] = {
        {u"{1,i}", true, 1, u"i", u""},
        {u"{ 2 , s , -5.3 }", true, 2, u"s", u"-5.3"},
        {u"{1,i16}", true, 1, u"i16", u""},
        {u"{1}", false, 0, u"", u""},
        {u"{1,}", false, 0, u"", u""},
        {u"{1,i,}", false, 0, u"", u""},
        {u"{1,i,2,3}", false, 0, u"", u""},
        {u"{4,i}", false, 0, u"", u""},   // beyond the last argument (3)
        {u"{x,i}", false, 0, u"", u""},
        {u"{1,2i}", false, 0, u"", u""},
        {u"{1,i", false, 0, u"", u""},    // no closing brace
        {u"{99999999999999999999,i}", false, 0, u"", u""},
    };
    for (const auto &c : cases) {
        Field f;
        const bool ok = parse_field(c.format, 0, 3, &f);
        EXPECT_EQ(ok, c.ok) << std::u16string(c.format).size();
        if (!ok || !c.ok) continue;
        EXPECT_EQ(f.arg, c.arg);
        EXPECT_EQ(f.type, std::u16string_view(c.type));
        EXPECT_EQ(f.third, std::u16string_view(c.third));
    }
    EXPECT_FALSE(opens_field(u"{{", 0));
    EXPECT_TRUE(opens_field(u"{1,i}", 0));
}

}  // namespace
}  // namespace tmdata
