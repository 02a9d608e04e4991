// The pure editor services: colouring, find/replace, help search, the run
// monitor's decisions, output forms.
#include <gtest/gtest.h>

#include "colouring.h"
#include "find_replace.h"
#include "help_search.h"
#include "output_forms.h"
#include "run_monitor.h"

namespace {

using ide::Colour;
using ide::ColourRange;
using Ranges = std::vector<ColourRange>;

TEST(Colouring, CommentsStringsAndKeywords) {
    const std::vector<std::u16string> keywords{u"USE", u"if"};
    struct Case {
        const char16_t *text;
        Ranges ranges;
    } cases[] = {
        // Nested block comments are one comment up to the matching close.
        {u"a/* x /* y */ z */b", {{1, 18, Colour::Comment}}},
        // "//" inside a block comment hides a "*/" on its line.
        {u"/* // */\rq */x", {{0, 13, Colour::Comment}}},
        {u"1 // c\r2", {{2, 6, Colour::Comment}}},
        // A close without an open: everything up to it, and the scan ends.
        {u"if x */ \"s\"", {{0, 7, Colour::Comment}}},
        {u"ab /* open", {{3, 10, Colour::Comment}}},
        // An escaped quote does not end a string; an open one runs to the end.
        {u"\"a\\\"b\" if", {{0, 6, Colour::String}, {7, 9, Colour::Keyword}}},
        {u"x \"open /* if", {{2, 13, Colour::String}}},
        // "#" before a keyword is coloured with it, and after it only when
        // both sides have one; keywords match whole words, case-sensitive.
        {u"#USE# m; USE# #USE iff IF",
         {{0, 5, Colour::Keyword}, {9, 12, Colour::Keyword}, {14, 18, Colour::Keyword}}},
        {u"中if if中 _if", {}},
    };
    for (const Case &c : cases) EXPECT_EQ(ide::colour_ranges(c.text, keywords), c.ranges);
}

TEST(FindReplace, MatchCaseWholeWordAndOverlaps) {
    ide::SearchOptions plain, exact{true, false}, word{false, true};
    struct Case {
        const char16_t *text, *pattern;
        int from;
        ide::SearchOptions options;
        int start;  // -1: none
    } cases[] = {
        {u"xAbab", u"ab", 0, plain, 1}, {u"xAbab", u"ab", 0, exact, 3},
        {u"中Ab", u"ab", 0, plain, 1},  {u"ab abc\tab", u"ab", 1, word, 7},
        {u"ab", u"ab", 0, word, 0},     {u"a\rab", u"ab", 0, word, 2},
        {u"aaa", u"aa", 1, plain, 1},   {u"ab", u"abc", 0, plain, -1},
        {u"ab", u"", 0, plain, -1},
    };
    for (const Case &c : cases) {
        auto found = ide::find_from(c.text, c.pattern, c.from, c.options);
        EXPECT_EQ(found ? found->start : -1, c.start);
    }
    // Find next skips a match that is the selection; overlapping matches
    // are each found.
    auto next = ide::find_next(u"aaaa", u"aa", {0, 2}, plain);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, (ide::Selection{1, 3}));
    EXPECT_EQ(*ide::find_next(u"aaaa", u"aa", {0, 0}, plain), (ide::Selection{0, 2}));
}

TEST(FindReplace, ReplaceAllContinuesAfterTheInsertedText) {
    ide::SearchOptions plain;
    struct Case {
        const char16_t *text, *pattern, *replacement;
        int from;
        const char16_t *result;
        int count;
    } cases[] = {
        {u"aaaa", u"aa", u"b", 0, u"bb", 2},
        {u"aaa", u"aa", u"b", 0, u"ba", 1},
        {u"abab", u"ab", u"abab", 0, u"abababab", 2},  // no endless growth
        {u"xAx", u"a", u"", 0, u"xx", 1},
        {u"aaaa", u"a", u"", 1, u"a", 3},
        {u"a b a", u"a", u"c\r\nd", 1, u"a b c\rd", 1},
    };
    for (const Case &c : cases) {
        ide::ReplaceAllResult r = ide::replace_all(c.text, c.pattern, c.replacement, c.from, plain);
        EXPECT_EQ(r.text, c.result);
        EXPECT_EQ(r.replacements, c.count);
        EXPECT_TRUE(r.completed);
    }
}

TEST(HelpSearch, KeywordsAreSplitAndFoldedToAsciiUpperCase) {
    EXPECT_EQ(ide::normalise_keywords(u"sin 中x"), u"SIN 中X");
    EXPECT_EQ(ide::normalise_keywords(std::u16string(300, u'a')).size(), 260u);
    auto words = ide::split_keywords(u" A\tB\r\n C ");
    EXPECT_EQ(words, (std::vector<std::u16string>{u"A", u"B", u"C"}));
    EXPECT_TRUE(ide::help_text_matches({u"SINE", u"REAL"}, u"Sine of a real number"));
    EXPECT_FALSE(ide::help_text_matches({u"SINE", u"COMPLEX"}, u"Sine of a real number"));
    EXPECT_TRUE(ide::help_text_matches({u"中文"}, u"有中文"));
    EXPECT_TRUE(ide::help_text_matches({}, u"anything"));
}

TEST(MonitorLogic, BusyFreeDismissedAndInterrupted) {
    ide::MonitorLogic m;
    using A = ide::MonitorLogic::Action;
    // Two busy checks are not enough; the third with the flag set and no
    // watch success shows the window.
    EXPECT_EQ(m.check(1, true, 0), A::None);
    EXPECT_EQ(m.check(1, true, 0), A::None);
    EXPECT_EQ(m.check(1, true, 0), A::Show);
    EXPECT_TRUE(m.shown());
    EXPECT_EQ(m.busy_count(), 0);
    // Free again: the window closes, each dismissal lengthens the interval.
    EXPECT_EQ(m.check(0, false, 0), A::Close);
    m.closed();
    EXPECT_EQ(m.interval(), 1500);
    // Output (flag cleared) or a watch success in between: no window.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.check(1, false, 0), A::None);
    EXPECT_EQ(m.check(1, true, 1), A::None);
    EXPECT_EQ(m.check(1, true, 1), A::None);
    EXPECT_EQ(m.check(1, true, 2), A::None);  // the watch thread got through
    EXPECT_EQ(m.check(1, true, 2), A::None);
    EXPECT_EQ(m.check(1, true, 2), A::None);
    EXPECT_EQ(m.check(1, true, 2), A::Show);
    // A busy check in between resets nothing but a free one resets the count.
    // The user interrupts: the interval starts over, and the closing
    // lengthens it to 1500.
    m.interrupted();
    m.closed();
    EXPECT_EQ(m.interval(), 1500);
    EXPECT_EQ(m.check(0, false, 2), A::None);
    EXPECT_EQ(m.busy_count(), 0);
    // -1 (quitting) counts as busy, like the original.
    EXPECT_EQ(m.check(-1, true, 2), A::None);
    EXPECT_EQ(m.busy_count(), 1);
}

TEST(OutputForms, SixteenDigitsAndComplexParts) {
    EXPECT_EQ(ide::output_form_real(0.1), u"\r\n0.1");
    EXPECT_EQ(ide::output_form_real(1.0 / 3), u"\r\n0.3333333333333333");
    EXPECT_EQ(ide::output_form_real(1e308 * 10), u"\r\ninf");
    EXPECT_EQ(ide::output_form_int(INT64_MIN), u"\r\ni: -9223372036854775808");
    EXPECT_EQ(ide::output_form_complex(1, 0), u"\r\nc: 1");
    EXPECT_EQ(ide::output_form_complex(1, -0.0), u"\r\nc: 1");
    EXPECT_EQ(ide::output_form_complex(1, 2), u"\r\nc: 1+2i");
    EXPECT_EQ(ide::output_form_complex(-1, -2.5), u"\r\nc: -1-2.5i");
}

}  // namespace
