// The command-line host's own logic: arguments, output forms, the output
// stream's line discipline, compile-error reports and path handling.  The
// host driving real libraries is covered by the script tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "host_callbacks.h"
#include "options.h"
#include "output.h"
#include "source_text.h"

namespace {

using cli::SourceItem;

cli::ParsedOptions parse(std::vector<std::string> args) { return cli::parse_options(args); }

TEST(CliOptions, SourcesKeepTheirOrderAndKinds) {
    cli::ParsedOptions p = parse({"a.tm", "-e", "1+2", "-", "--eval=3", "--", "-e", "-"});
    ASSERT_TRUE(p.ok) << p.error;
    const auto &s = p.options.sources;
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0].kind, SourceItem::Kind::File);
    EXPECT_EQ(s[0].value, "a.tm");
    EXPECT_EQ(s[1].kind, SourceItem::Kind::Text);
    EXPECT_EQ(s[1].value, "1+2");
    EXPECT_EQ(s[2].kind, SourceItem::Kind::Stdin);
    EXPECT_EQ(s[3].value, "3");
    // After "--" everything is a file name, "-e" and "-" included.
    EXPECT_EQ(s[4].kind, SourceItem::Kind::File);
    EXPECT_EQ(s[4].value, "-e");
    EXPECT_EQ(s[5].kind, SourceItem::Kind::File);
}

TEST(CliOptions, NoSourceReadsStandardInput) {
    cli::ParsedOptions p = parse({"--load", "x"});
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.options.sources.size(), 1u);
    EXPECT_EQ(p.options.sources[0].kind, SourceItem::Kind::Stdin);
}

TEST(CliOptions, LoadSplitsAtTheFirstColon) {
    cli::ParsedOptions p = parse({"--load", "libA.so", "--load=B.dll:x:y", "--load", "C:"});
    ASSERT_TRUE(p.ok);
    const auto &l = p.options.loads;
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].library, "libA.so");
    EXPECT_FALSE(l[0].has_argument);
    EXPECT_EQ(l[1].library, "B.dll");
    EXPECT_EQ(l[1].argument, "x:y");
    EXPECT_TRUE(l[1].has_argument);
    // An empty argument is still an argument: the library gets "" not null.
    EXPECT_TRUE(l[2].has_argument);
    EXPECT_EQ(l[2].argument, "");
}

TEST(CliOptions, StackSizes) {
    EXPECT_EQ(parse({}).options.stack_slots, 100000);
    EXPECT_EQ(parse({"--stack", "0"}).options.stack_slots, 0);
    EXPECT_EQ(parse({"--stack=2147483647"}).options.stack_slots, 2147483647L);
    for (const char *bad : {"-1", "+5", "", "12x", "2147483648", "99999999999999999999", "1e3"})
        EXPECT_FALSE(parse({"--stack", bad}).ok) << bad;
}

TEST(CliOptions, PlotBecomesTheSceneAndAnOffscreenGraphicsLoad) {
    cli::ParsedOptions p = parse({"--plot", "s.tm", "-o", "out.png", "--size=64x48", "--frames", "3"});
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_EQ(p.options.sources.size(), 1u);
    EXPECT_EQ(p.options.sources[0].value, "s.tm");
    ASSERT_EQ(p.options.loads.size(), 2u);
    EXPECT_EQ(p.options.loads[0].library, "TmData32W.dll");
    EXPECT_EQ(p.options.loads[1].library, "OpenTmGl32W.dll");
    EXPECT_EQ(p.options.loads[1].argument, "offscreen,frames=3,size=64x48,save=out.png");
    // A data library already named is not loaded twice.
    p = parse({"--load", "TmData32W.dll", "--plot", "s.tm", "-o", "o.bmp"});
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.options.loads.size(), 2u);
    EXPECT_EQ(p.options.loads[1].argument, "offscreen,frames=2,size=800x600,save=o.bmp");
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"--plot", "s.tm"}, {"-o", "x.png", "s.tm"}, {"--plot", "s.tm", "-o", "a,b.png"},
             {"--plot", "s.tm", "-o", "x.png", "--size", "0x10"},
             {"--plot", "s.tm", "-o", "x.png", "--size", "10"},
             {"--plot", "s.tm", "-o", "x.png", "--frames", "0"}})
        EXPECT_FALSE(parse(bad).ok) << bad.back();
}

TEST(CliOptions, BadUsageIsRefusedWithAReason) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"-x"}, {"-e"}, {"--load"}, {"--stack"}, {"--load="},
             {"--load", ":arg"}, {"--help=yes"}}) {
        cli::ParsedOptions p = parse(args);
        EXPECT_FALSE(p.ok) << args[0];
        EXPECT_FALSE(p.error.empty());
    }
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(CliOutputForms, Integers) {
    EXPECT_EQ(cli::format_int(42), "i: 42");
    EXPECT_EQ(cli::format_int(-7), "i: -7");
    EXPECT_EQ(cli::format_int(std::numeric_limits<int64_t>::min()), "i: -9223372036854775808");
}

TEST(CliOutputForms, RealsUseSixteenSignificantDigits) {
    EXPECT_EQ(cli::format_real(3.5), "3.5");
    EXPECT_EQ(cli::format_real(0.1), "0.1");
    EXPECT_EQ(cli::format_real(1.0 / 3), "0.3333333333333333");
    EXPECT_EQ(cli::format_real(1e20), "1e+20");
    EXPECT_EQ(cli::format_real(1e-5), "1e-05");
    EXPECT_EQ(cli::format_real(123456789012345678.0), "1.234567890123457e+17");
    EXPECT_EQ(cli::format_real(-0.0), "-0");
    EXPECT_EQ(cli::format_real(INFINITY), "inf");
    EXPECT_EQ(cli::format_real(-INFINITY), "-inf");
    EXPECT_EQ(cli::format_real(std::nan("")), "nan");
    EXPECT_EQ(cli::format_real(-std::nan("")), "nan");
}

TEST(CliOutputForms, ComplexSignsAndZeroImaginaryPart) {
    EXPECT_EQ(cli::format_complex(1, 2), "c: 1+2i");
    EXPECT_EQ(cli::format_complex(1, -2), "c: 1-2i");
    EXPECT_EQ(cli::format_complex(-1.5, 0), "c: -1.5");
    EXPECT_EQ(cli::format_complex(0, -0.0), "c: 0");
    EXPECT_EQ(cli::format_complex(0, 0.25), "c: 0+0.25i");
    EXPECT_EQ(cli::format_complex(1, std::nan("")), "c: 1+nani");
    EXPECT_EQ(cli::format_complex(1, -INFINITY), "c: 1-infi");
}

TEST(CliOutputForms, MessagesBecomeUtf8WithLineFeeds) {
    EXPECT_EQ(cli::message_to_utf8(u"\r\n错误\r\nx\ry\n"), "\n错误\nx\ry\n");
    EXPECT_EQ(cli::message_to_utf8(nullptr), "");
    EXPECT_EQ(cli::message_to_utf8(u"\r"), "\r");
}

// Captures what an OutputSink writes through a temporary file.
class SinkCapture {
public:
    SinkCapture() : file_(std::tmpfile()), sink_(file_) {}
    ~SinkCapture() { std::fclose(file_); }
    cli::OutputSink &sink() { return sink_; }
    std::string text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        for (int c; (c = std::fgetc(file_)) != EOF;) text += char(c);
        return text;
    }

private:
    std::FILE *file_;
    cli::OutputSink sink_;
};

TEST(CliOutputSink, ResultsLandOnePerLine) {
    SinkCapture capture;
    capture.sink().write("\n1");
    capture.sink().write("\ni: 2");
    capture.sink().finish_line();
    capture.sink().finish_line();  // idempotent
    capture.sink().write("\nc: 3");
    capture.sink().finish_line();
    EXPECT_EQ(capture.text(), "1\ni: 2\nc: 3\n");
}

TEST(CliOutputSink, AReportKeepsItsBlankLine) {
    SinkCapture capture;
    capture.sink().write("\n1");
    capture.sink().write("\n\nTamrix表达式运行错误！\n实数函数名：f  错误代码：1\n");
    EXPECT_TRUE(capture.sink().at_line_start());
    capture.sink().write("\n2");
    capture.sink().finish_line();
    EXPECT_EQ(capture.text(), "1\n\nTamrix表达式运行错误！\n实数函数名：f  错误代码：1\n2\n");
}

TEST(CliOutputSink, EmptyAndBareLineBreaks) {
    SinkCapture capture;
    capture.sink().write("");
    capture.sink().write("\n");  // a break at the start of a line opens nothing
    EXPECT_TRUE(capture.sink().at_line_start());
    capture.sink().write("text");
    EXPECT_FALSE(capture.sink().at_line_start());
    capture.sink().write("\n");
    capture.sink().write("\n");
    EXPECT_EQ(capture.text(), "text\n");
}

TEST(CliCompileErrors, TextTableCoversMinusSevenToThirtyNine) {
    for (int code = -7; code <= 39; ++code) {
        std::string text = cli::compile_error_text(code);
        EXPECT_EQ(text.rfind("编译错误：", 0), 0u) << code;
        EXPECT_GT(text.size(), std::string("编译错误：").size()) << code;
    }
    EXPECT_EQ(cli::compile_error_text(-8), "");
    EXPECT_EQ(cli::compile_error_text(40), "");
    EXPECT_EQ(cli::compile_error_text(-7), "编译错误：递归调用指定的模块。");
    EXPECT_EQ(cli::compile_error_text(23), "编译错误：不正确的运算方式或其他语法错误。");
    EXPECT_EQ(cli::compile_error_text(37), cli::compile_error_text(-1));
}

TEST(CliCompileErrors, PositionsCountLinesAndCharacters) {
    std::u16string source = u"ab\r\ncd\n\U0001F600x\n";
    EXPECT_EQ(cli::position_of(source, 0).line, 1);
    EXPECT_EQ(cli::position_of(source, 1).column, 2);
    cli::SourcePosition c = cli::position_of(source, 4);
    EXPECT_EQ(c.line, 2);
    EXPECT_EQ(c.column, 1);
    // A character outside the basic plane is one column (two UTF-16 units).
    cli::SourcePosition x = cli::position_of(source, 9);
    EXPECT_EQ(x.line, 3);
    EXPECT_EQ(x.column, 2);
    cli::SourcePosition past = cli::position_of(source, 999);
    EXPECT_EQ(past.line, 4);
    EXPECT_EQ(past.column, 1);
}

TEST(CliCompileErrors, ReportUnderlinesTheRange) {
    std::string report = cli::format_compile_error("p.tm", u"x=1;\r\n  y=2*-3;\r\n", 23, 11, 12);
    EXPECT_EQ(report,
              "编译错误：不正确的运算方式或其他语法错误。\n"
              "p.tm:2:6: compile error 23 at 2:6-2:7\n"
              "    y=2*-3;\n"
              "       ^~\n");
}

TEST(CliCompileErrors, TabsAndWideCharactersKeepTheUnderlineAligned) {
    std::string report = cli::format_compile_error("p.tm", u"\t中文+)", 2, 3, 4);
    EXPECT_NE(report.find("\t中文+)\n  \t    ^~\n"), std::string::npos) << report;
}

TEST(CliCompileErrors, RangesOutsideTheTextAreClamped) {
    // The module compiler reports an unclosed comment at the end of the text.
    std::string end = cli::format_compile_error("p.tm", u"1;\n/* open", -4, 9, 9);
    EXPECT_NE(end.find("p.tm:2:7: compile error -4 at 2:7-2:7"), std::string::npos) << end;
    std::string wild = cli::format_compile_error("p.tm", u"abc", 7, -50, 1 << 30);
    EXPECT_NE(wild.find("at 1:1-1:3"), std::string::npos) << wild;
    std::string reversed = cli::format_compile_error("p.tm", u"abc", 7, 2, 0);
    EXPECT_NE(reversed.find("at 1:3-1:3"), std::string::npos) << reversed;
    // An empty program (code 3) has no line to show.
    EXPECT_EQ(cli::format_compile_error("e.tm", u"", 3, 0, -1),
              "编译错误：（等号后）没有表达式。\ne.tm:1:1: compile error 3 at 1:1-1:1\n");
    // Codes without a text still say where.
    EXPECT_EQ(cli::format_compile_error("p.tm", u"a", 99, 0, 0).rfind("p.tm:1:1", 0), 0u);
}

TEST(CliCompileErrors, ControlCharactersInTheShownLineAreMasked) {
    std::u16string source(u"a\x1b[2Jb\0c+)", 10);
    std::string report = cli::format_compile_error("p.tm", source, 7, 6, 6);
    EXPECT_NE(report.find("\n  a?[2Jb?c+)\n        ^\n"), std::string::npos) << report;
    EXPECT_EQ(report.find('\x1b'), std::string::npos);
}

TEST(CliCompileErrors, ARangeOverSeveralLinesIsUnderlinedToItsLineEnd) {
    std::string report = cli::format_compile_error("p.tm", u"f(x\r\n+1", 2, 1, 6);
    EXPECT_NE(report.find("at 1:2-2:2\n  f(x\n   ^~\n"), std::string::npos) << report;
}

TEST(CliPaths, JoinAndDirectory) {
    EXPECT_EQ(cli::directory_of("a.tm"), "");
    EXPECT_EQ(cli::directory_of("dir/sub/a.tm"), "dir/sub");
    EXPECT_EQ(cli::directory_of("/a.tm"), "/");
    EXPECT_EQ(cli::join_path("", "m.tm"), "m.tm");
    EXPECT_EQ(cli::join_path("dir", "m.tm"), "dir/m.tm");
    EXPECT_EQ(cli::join_path("/", "m.tm"), "/m.tm");
    EXPECT_EQ(cli::join_path("dir", "/abs/m.tm"), "/abs/m.tm");
    EXPECT_EQ(cli::canonical_path("/no/such/file/anywhere"), "");
    EXPECT_EQ(cli::canonical_path("/tmp/../tmp"), cli::canonical_path("/tmp"));
}

TEST(CliPaths, ReadingRefusesDirectoriesAndMissingFiles) {
    std::string bytes, why;
    EXPECT_FALSE(cli::read_file_bytes("/", bytes, &why));
    EXPECT_EQ(why, "is a directory");
    EXPECT_FALSE(cli::read_file_bytes("/no/such/file", bytes, &why));
    EXPECT_FALSE(why.empty());
}

TEST(CliPaths, ReadingAStreamKeepsEveryByte) {
    std::FILE *file = std::tmpfile();
    std::string content(200000, 'x');
    content[5] = '\0';
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    std::string bytes, why;
    EXPECT_TRUE(cli::read_stream_bytes(file, bytes, &why)) << why;
    std::fclose(file);
    EXPECT_EQ(bytes, content);
    EXPECT_EQ(cli::find_nul(u"ab\0c"), std::u16string::npos);  // literal ends at the NUL
    EXPECT_EQ(cli::find_nul(std::u16string(u"ab\0c", 4)), 2u);
}

TEST(CliMessageBox, DefaultAnswersFollowTheButtonSet) {
    EXPECT_EQ(cli::default_message_box_answer(0), 1);         // OK
    EXPECT_EQ(cli::default_message_box_answer(0x1), 1);       // OK / Cancel
    EXPECT_EQ(cli::default_message_box_answer(0x24), 6);      // Yes / No with an icon
    EXPECT_EQ(cli::default_message_box_answer(0x3), 6);       // Yes / No / Cancel
    EXPECT_EQ(cli::default_message_box_answer(0x2), 3);       // Abort / Retry / Ignore
    EXPECT_EQ(cli::default_message_box_answer(0x5), 4);       // Retry / Cancel
}

}  // namespace
