// Reading a module's source: comments, string literals, statements and the
// words in front of a formula.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/source_text.h"
#include "module/run_report.h"
#include "platform/text.h"

namespace {

using modlib::remove_comments;

std::u16string stripped(std::u16string text) {
    EXPECT_EQ(remove_comments(text).code, 0);
    return text;
}

std::vector<std::u16string> statements(const std::u16string &text) {
    std::vector<std::u16string> out;
    size_t pos = 0;
    modlib::Statement st;
    while (modlib::next_statement(text, pos, st)) out.push_back(text.substr(st.begin, st.end - st.begin));
    return out;
}

TEST(Comments, AreBlankedInPlaceSoPositionsStay) {
    EXPECT_EQ(stripped(u"a//x\nb"), u"a   \nb");
    EXPECT_EQ(stripped(u"a//x\r\nb"), u"a   \r\nb");
    EXPECT_EQ(stripped(u"a/*x*/b"), u"a     b");
    EXPECT_EQ(stripped(u"a/*1\n2*/b"), u"a   \n   b");
    EXPECT_EQ(stripped(u"//only"), u"      ");
    EXPECT_EQ(stripped(u""), u"");
}

TEST(Comments, BlocksNestAndLineCommentsInsideThemDoNotCount) {
    EXPECT_EQ(stripped(u"a/* x /* y */ z */b"), u"a                 b");
    EXPECT_EQ(stripped(u"/* // */x"), u"        x");
    EXPECT_EQ(stripped(u"// /* \nx"), u"      \nx");
    // A quote inside a comment opens no string.
    EXPECT_EQ(stripped(u"/* \" */x"), u"       x");
}

TEST(Comments, StringLiteralsAreNotLookedInto) {
    EXPECT_EQ(stripped(u"\"//\"x//y"), u"\"//\"x   ");
    EXPECT_EQ(stripped(u"\"/*\"x"), u"\"/*\"x");
    EXPECT_EQ(stripped(u"\"a\\\"//\"x"), u"\"a\\\"//\"x");
    // An escaped backslash ends the escape: the quote after it closes.
    EXPECT_EQ(stripped(u"\"a\\\\\"//c"), u"\"a\\\\\"   ");
    // An unclosed literal swallows the rest (the compiler reports it).
    EXPECT_EQ(stripped(u"\"abc//d"), u"\"abc//d");
}

TEST(Comments, StrayCloseAndUnclosedOpenAreErrorsWithTheirRange) {
    std::u16string stray = u"1+2 */ 3";
    auto c = remove_comments(stray);
    EXPECT_EQ(c.code, -4);
    EXPECT_EQ(c.errorStart, 4u);
    EXPECT_EQ(c.errorEnd, 5u);

    std::u16string open = u"a=1; /* b /* c */ d";
    c = remove_comments(open);
    EXPECT_EQ(c.code, -4);
    EXPECT_EQ(c.errorStart, 5u);
    EXPECT_EQ(c.errorEnd, open.size() - 1);

    std::u16string lone = u"/*";
    EXPECT_EQ(remove_comments(lone).errorEnd, 1u);
    std::u16string half = u"x/";
    EXPECT_EQ(remove_comments(half).code, 0);
}

TEST(Statements, SplitAtSemicolonsOutsideStringsAndBrackets) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(statements(u"a;b;;  ;\r\n c "), (V{u"a", u"b", u"c "}));
    EXPECT_EQ(statements(u"f(x)=(x;1);g"), (V{u"f(x)=(x;1)", u"g"}));
    EXPECT_EQ(statements(u"[1;2];{3;(4;5)};6"), (V{u"[1;2]", u"{3;(4;5)}", u"6"}));
    EXPECT_EQ(statements(u"s(\";)\");t"), (V{u"s(\";)\")", u"t"}));
    EXPECT_EQ(statements(u" ;\t;\r\n"), V{});
    EXPECT_EQ(statements(u""), V{});
}

TEST(Statements, EachBracketKindCountsOnlyItself) {
    using V = std::vector<std::u16string>;
    // Inside "(...)" a "[" is ordinary text; the ')' closes.
    EXPECT_EQ(statements(u"(a[;b);c"), (V{u"(a[;b)", u"c"}));
    EXPECT_EQ(statements(u"((a;b);c);d"), (V{u"((a;b);c)", u"d"}));
}

TEST(Statements, AnUnmatchedBracketRunsToTheEnd) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(statements(u"f(1;g;h"), (V{u"f(1;g;h"}));
    EXPECT_EQ(statements(u"a;b);c"), (V{u"a", u"b);c"}));
    EXPECT_EQ(statements(u"x=\"open;y"), (V{u"x=\"open;y"}));
}

TEST(Statements, LongRunsOfBracketsStayLinear) {
    // 200 000 unmatched openers: one statement, found without rescanning.
    std::u16string text(200000, u'(');
    EXPECT_EQ(statements(text).size(), 1u);
    std::u16string deep = std::u16string(100000, u'[') + u";" + std::u16string(100000, u']') + u";x";
    EXPECT_EQ(statements(deep).size(), 2u);
}

TEST(Reasons, AreCutFromTheDescriptionByExactCode) {
    std::u16string r;
    EXPECT_TRUE(modlib::find_reason(u"#1:one;#2:two;#12:twelve;", 2, r));
    EXPECT_EQ(r, u"two");
    EXPECT_TRUE(modlib::find_reason(u"#1:one;#12:twelve", 12, r));
    EXPECT_EQ(r, u"twelve");
    EXPECT_FALSE(modlib::find_reason(u"#12:twelve;", 2, r));
    EXPECT_TRUE(modlib::find_reason(u"#-1:negative;", -1, r));
    EXPECT_EQ(r, u"negative");
    EXPECT_TRUE(modlib::find_reason(u"#3:;", 3, r));
    EXPECT_EQ(r, u"");
    EXPECT_FALSE(modlib::find_reason(u"", 0, r));
}

}  // namespace
