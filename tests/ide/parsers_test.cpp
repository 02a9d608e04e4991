// The text formats the editor reads: workspace sections, "#LOAD" lists,
// constant files and error/help text blocks.
#include <gtest/gtest.h>

#include <random>

#include "constant_file.h"
#include "fake_host.h"
#include "text_blocks.h"
#include "workspace_text.h"

namespace {

using idetest::u16;
using Items = std::vector<std::u16string>;

TEST(WorkspaceText, EverySectionWithCommentsAndTheFirstOrAllRules) {
    const std::u16string text =
        u"text outside # and #NOTHING{ignored}\r\n"
        u"#PATH\t\r\n{/first}  #PATH{/second}\n"
        u"#LOAD {\"a.dll\" <\"hidden.dll\"> \"b.dll:arg:more\"} #LOAD{\"ignored.dll\"}\n"
        u"#INT{\"i1\"} #INT{\"i2\" \"i3\"} #REAL{\"r\"} #COMPLEX { \"c\" }\n"
        u"#MODULE{\"name*file.tm\" \"alone.tm\"}\n"
        u"#COMMAND ( 菜单 ) {\"x*x.tm\"} #COMMAND(two){}\n"
        u"#KEY{\"<kept>\" \"w\"} #INTEGER{\"not a section\"}";
    ide::WorkspaceSections s = ide::parse_workspace(text);
    EXPECT_EQ(s.path, std::u16string(u"/first"));
    EXPECT_EQ(s.load, std::u16string(u"\"a.dll\" <\"hidden.dll\"> \"b.dll:arg:more\""));
    EXPECT_EQ(s.int_files, (Items{u"i1", u"i2", u"i3"}));
    EXPECT_EQ(s.real_files, Items{u"r"});
    EXPECT_EQ(s.complex_files, Items{u"c"});
    EXPECT_EQ(s.modules, (Items{u"name*file.tm", u"alone.tm"}));
    ASSERT_EQ(s.commands.size(), 2u);
    EXPECT_EQ(s.commands[0].title, u" 菜单 ");
    EXPECT_EQ(s.commands[0].items, Items{u"x*x.tm"});
    EXPECT_TRUE(s.commands[1].items.empty());
    // "#KEY" bodies have no comments.
    EXPECT_EQ(s.keys, (Items{u"<kept>", u"w"}));
    EXPECT_FALSE(s.unterminated);
}

TEST(WorkspaceText, UnterminatedSectionsAndQuotes) {
    struct Case {
        const char16_t *text;
        Items modules;
        bool unterminated;
    } cases[] = {
        {u"#MODULE{\"a\" \"b", {}, true},                        // no '}' at all
        {u"#MODULE{\"a\" \"b}", {u"a"}, false},                  // quote runs past the body end
        {u"#MODULE{\"a\" <\"b\"}", {u"a"}, false},               // comment never closed
        {u"#MODULE{\"a\"} #MODULE", {u"a"}, false},              // keyword without '{'
        {u"#MODULE{\"a\"} #COMMAND(t{\"x*y\"}", {u"a"}, false},  // title without ')'
        {u"#MODULE{\"a\"} #REAL{", {u"a"}, true},
        {u"#", {}, false},
        {u"", {}, false},
    };
    for (const Case &c : cases) {
        ide::WorkspaceSections s = ide::parse_workspace(c.text);
        EXPECT_EQ(s.modules, c.modules) << idetest::u8(c.text);
        EXPECT_EQ(s.unterminated, c.unterminated) << idetest::u8(c.text);
    }
}

TEST(WorkspaceText, LoadEntriesAndStarItems) {
    auto entries = ide::parse_load_list(u"\"a.dll\" < \"c.dll\" > \"b:x:y\" \"\" \"tail");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].library, u"a.dll");
    EXPECT_FALSE(entries[0].has_argument);
    EXPECT_EQ(entries[1].library, u"b");
    EXPECT_EQ(entries[1].argument, u"x:y");
    EXPECT_EQ(entries[2].library, u"");
    ide::StarItem star = ide::split_star_item(u"name*dir/file*x");
    EXPECT_EQ(star.name, u"name");
    EXPECT_EQ(star.file, u"dir/file*x");
    EXPECT_TRUE(star.has_star);
    EXPECT_EQ(ide::split_star_item(u"plain").file, u"plain");
}

TEST(WorkspaceText, RandomBytesAndHugeTextsEndTheScan) {
    std::mt19937 random(12345);
    const char16_t alphabet[] = u"#{}()<>\"*: \r\nPATHLOADINTREALCOMPLEXMODULECOMMANDKEYa中";
    for (int round = 0; round < 200; ++round) {
        std::u16string text(size_t(random() % 400), u' ');
        for (char16_t &c : text) c = alphabet[random() % (sizeof alphabet / 2 - 1)];
        ide::parse_workspace(text);
        ide::parse_text_blocks(text);
        ide::parse_constants(text, ide::ConstantType::Complex);
    }
    // 50 MB of sections, each item scanned once.
    std::u16string big;
    while (big.size() < (size_t(25) << 20)) big += u"#KEY{\"word\"} ";
    EXPECT_EQ(ide::parse_workspace(big).keys.size(), big.size() / 13);
}

TEST(ConstantFile, EachTypesValueSyntaxAndBadLines) {
    struct Row {
        ide::ConstantType type;
        const char16_t *line;
        bool ok;
        double re, im;
        const char16_t *bad_text;
    } rows[] = {
        {ide::ConstantType::Integer, u"five=-5", true, -5, 0, u""},
        {ide::ConstantType::Integer, u"  big = 9223372036854775807 rest", true,
         9.223372036854775807e18, 0, u""},
        {ide::ConstantType::Integer, u"n = 12-3", true, 12, 0, u""},
        {ide::ConstantType::Integer, u"n = x", false, 0, 0, u"n = "},
        {ide::ConstantType::Integer, u"n 5", false, 0, 0, u"n "},
        {ide::ConstantType::Real, u"kilo\t=\t1.5E3", true, 1500, 0, u""},
        {ide::ConstantType::Real, u"r=.5e-1;", true, 0.05, 0, u""},
        {ide::ConstantType::Real, u"r=", false, 0, 0, u"r="},
        {ide::ConstantType::Real, u"r=e", false, 0, 0, u"r=e"},
        {ide::ConstantType::Complex, u"z = 1 , -2", true, 1, -2, u""},
        {ide::ConstantType::Complex, u"z=1,2e1 x", true, 1, 20, u""},
        {ide::ConstantType::Complex, u"z = 3", false, 0, 0, u"z = 3"},
        {ide::ConstantType::Complex, u"z = 3,", false, 0, 0, u"z = 3,"},
    };
    for (const Row &row : rows) {
        auto found = ide::parse_constants(row.line, row.type);
        ASSERT_EQ(found.size(), 1u) << idetest::u8(row.line);
        EXPECT_EQ(found[0].ok, row.ok) << idetest::u8(row.line);
        if (!row.ok) {
            EXPECT_EQ(found[0].text, row.bad_text) << idetest::u8(row.line);
            continue;
        }
        if (row.type == ide::ConstantType::Integer)
            EXPECT_EQ(double(found[0].integer), row.re) << idetest::u8(row.line);
        else
            EXPECT_EQ(found[0].re, row.re) << idetest::u8(row.line);
        EXPECT_EQ(found[0].im, row.im);
    }
    // Lines that cannot start a name are skipped; names may be Chinese.
    auto found =
        ide::parse_constants(u"1=2\n=3\n# x=1\n\n  中=7\r\n_a1=8", ide::ConstantType::Integer);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, u"中");
    EXPECT_EQ(found[1].integer, 8);
}

TEST(TextBlocks, NamesTextsAndWhereTheScanEnds) {
    struct Case {
        const char16_t *text;
        std::vector<std::pair<std::u16string, std::u16string>> blocks;
    } cases[] = {
        {u"#a{one}# between #b{#1:x;#2:y;}#", {{u"a", u"one"}, {u"b", u"#1:x;#2:y;"}}},
        {u"#a{}# #{x}# #c{z}#", {{u"c", u"z"}}},               // empty name or text skipped
        {u"#a{x}y}# #b{q}#", {{u"a", u"x}y"}, {u"b", u"q"}}},  // only "}#" ends a text
        {u"#a{x}#\n#b{never closed", {{u"a", u"x"}}},
        {u"#a no brace", {}},
    };
    for (const Case &c : cases) {
        auto blocks = ide::parse_text_blocks(c.text);
        ASSERT_EQ(blocks.size(), c.blocks.size()) << idetest::u8(c.text);
        for (size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(blocks[i].name, c.blocks[i].first);
            EXPECT_EQ(blocks[i].text, c.blocks[i].second);
        }
    }
}

}  // namespace
