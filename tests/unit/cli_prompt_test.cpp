// The interactive prompt's text handling: when an entry is complete, how it
// is made public for later entries and how compiler positions map back to
// the typed text, its commands and the history file's place.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "entry_rewrite.h"
#include "entry_scan.h"
#include "history_file.h"
#include "prompt_command.h"

namespace {

TEST(PromptEntry, OpenWhileABracketOrBlockCommentIsOpen) {
    struct Case {
        const char16_t *typed;
        bool open;
    } cases[] = {
        {u"1+2", false},
        {u"f(x)=(x+", true},
        {u"f(x)=(x+\n1)*2", false},
        {u"a[1", true},
        {u"{1, (2)", true},
        {u"/* note", true},
        {u"/* a /* nested */ still open", true},
        {u"/* a /* nested */ closed */ 1", false},
        {u"1 // ( in a line comment", false},
        {u"\"(\"; 1", false},              // a bracket in a string
        {u"f(\"a\\\")\"", true},           // an escaped quote does not end it
        {u"1)", false},                    // stray: the compiler reports it
        {u"1 */", false},                  // likewise
        {u"(]", true},                     // only brackets of one kind pair up
        {u"", false},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cli::shape_of(cases[i].typed).open, cases[i].open) << "case " << i;
}

// The prepared text of a typed entry, with the default type carried in.
std::u16string prepared(std::u16string typed,
                        cli::DefaultType type = cli::DefaultType::Real) {
    return cli::prepare_entry(typed, cli::shape_of(typed), type).text;
}

TEST(PromptEntry, FormulasOutsideSubModulesBecomePublic) {
    EXPECT_EQ(prepared(u"f(x)=x; f(2)"), u"~f(x)=x; ~f(2)");
    EXPECT_EQ(prepared(u"~g(x)=x"), u"~g(x)=x");
    EXPECT_EQ(prepared(u"integer: i: !h()=1"), u"integer: ~i: !h()=1");
    EXPECT_EQ(prepared(u"/* c */ 1; // x\n2"), u"/* c */ ~1; // x\n~2");
    EXPECT_EQ(prepared(u"\"a;b\"; 3"), u"~\"a;b\"; ~3");
    EXPECT_EQ(prepared(u"#USE# lib.tm; 1"), u"#USE# lib.tm; ~1");
    EXPECT_EQ(prepared(u"#MODULE# p(x)=x; q()=p(1); #END# q()"),
              u"#MODULE# p(x)=x; q()=p(1); #END# ~q()");
    EXPECT_EQ(prepared(u"real:"), u"real:");
}

TEST(PromptEntry, DefaultTypeCarriesOverToLaterEntries) {
    std::u16string typed = u"integer: 7/2";
    cli::PreparedEntry first =
        cli::prepare_entry(typed, cli::shape_of(typed), cli::DefaultType::Real);
    EXPECT_EQ(first.default_type, cli::DefaultType::Integer);
    EXPECT_EQ(prepared(u"7/2", first.default_type), u"integer: ~7/2");
    EXPECT_EQ(prepared(u"complex: 1; real: 2", cli::DefaultType::Integer),
              u"integer: complex: ~1; real: ~2");
}

TEST(PromptEntry, CompilerPositionsMapBackToTheTypedText) {
    std::u16string typed = u"1+2; 2*-3";
    cli::PreparedEntry entry =
        cli::prepare_entry(typed, cli::shape_of(typed), cli::DefaultType::Integer);
    ASSERT_EQ(entry.text, u"integer: ~1+2; ~2*-3");
    // An inserted mark stands for what follows it; out-of-range positions
    // from the compiler are clamped.
    for (auto [compiled, typed_at] : {std::pair{0, 0}, {9, 0}, {15, 5}, {18, 7}, {-1, 0}, {99, 9}})
        EXPECT_EQ(cli::typed_position(entry, typed.size(), compiled), typed_at) << compiled;
}

TEST(PromptCommands, RecognisedOnlyWhereNoFormulaCouldBe) {
    using Kind = cli::PromptCommand::Kind;
    struct Case {
        const char *line;
        Kind kind;
        const char *argument;
    } cases[] = {
        {":quit", Kind::Quit, ""},
        {"  :q  ", Kind::Quit, ""},
        {":help", Kind::Help, ""},
        {":help  sin ", Kind::Help, "sin"},
        {":load TmData32W.dll:x", Kind::Load, "TmData32W.dll:x"},
        {":load", Kind::Load, ""},
        {":quit now", Kind::None, ""},
        {":help(x)=x", Kind::None, ""},      // a definition named help
        {":load = 2", Kind::None, ""},
        {":f(x)=x", Kind::None, ""},
        {":unknown", Kind::None, ""},
        {"quit", Kind::None, ""},
        {":", Kind::None, ""},
    };
    for (const Case &c : cases) {
        cli::PromptCommand command = cli::parse_prompt_command(c.line);
        EXPECT_EQ(command.kind, c.kind) << c.line;
        EXPECT_EQ(command.argument, c.argument) << c.line;
    }
}

TEST(PromptHistory, FileFollowsTheStateDirectoryRules) {
    EXPECT_EQ(cli::history_file_path("/s", "/h"), "/s/tamrix/history");
    EXPECT_EQ(cli::history_file_path("/s/", "/h"), "/s/tamrix/history");
    EXPECT_EQ(cli::history_file_path(nullptr, "/h"), "/h/.local/state/tamrix/history");
    EXPECT_EQ(cli::history_file_path("", "/h"), "/h/.local/state/tamrix/history");
    EXPECT_EQ(cli::history_file_path("relative", "/h"), "/h/.local/state/tamrix/history");
    EXPECT_EQ(cli::history_file_path(nullptr, nullptr), "");
    EXPECT_EQ(cli::history_file_path(nullptr, "relative"), "");
}

}  // namespace
