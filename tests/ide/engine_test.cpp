// The engine bound for real: the kernel and the module library loaded by
// name, driven through the recording host.
#include <atomic>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "editor_text.h"
#include "editor.h"
#include "engine.h"
#include "fake_host.h"
#include "run_monitor.h"
#include "run_worker.h"
#include "scratch_dir.h"

namespace {

using idetest::u16;
using idetest::u8;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.bind_engine()); }
    void TearDown() override { engine.unbind_engine(); }

    // Compiles a text as the main module and runs it; the output.
    std::string compute(const std::string &source) {
        std::u16string text = u16(source);
        engine.compile_source(engine.main_module(), &text, ide::kMainModuleName, ide::kMainModule);
        engine.run_module(engine.main_module());
        return host.output_utf8();
    }

    idetest::FakeHost host;
    ide::Engine engine{host};
};

TEST_F(EngineTest, PublishesTheHostKeysAndLocksTheTextTypes) {
    const auto &k = engine.kernel();
    EXPECT_EQ(k.SearchKey("MTM_LockKeyErrStr", 17, -256), reinterpret_cast<void *>(-257));
    EXPECT_EQ(k.SearchKey("MTM_LockKeyRunInfo", 18, -256), reinterpret_cast<void *>(-258));
    // Locked to the host's delete function: another one is refused.
    void *kept = nullptr;
    EXPECT_EQ(k.InsertKey("x\0", 2, -257, nullptr, &ide::keep_value, &kept), 4);
    EXPECT_NE(engine.services().UseTamrix, nullptr);
    EXPECT_TRUE(host.boxes().empty());
}

TEST_F(EngineTest, OutputForms) {
    EXPECT_EQ(compute("i: 7/2; 1/3; 2^70; c: 1+2i; c: 1-2i; c: 3+0i; 0.1"),
              "\r\ni: 3\r\n0.3333333333333333\r\n1.180591620717411e+21\r\nc: 1+2i"
              "\r\nc: 1-2i\r\nc: 3\r\n0.1");
}

TEST_F(EngineTest, CompileErrorSelectsTheRangeInEditorPositions) {
    // Each line has a Chinese comment and a surrogate pair before the fault,
    // so every "\r\n" and every character counts.
    for (int line = 0; line < 4; ++line) {
        std::u16string text;
        for (int i = 0; i < 4; ++i)
            text += i == line ? u"1+*2; // 中\U0001F600\r\n" : u"1+2; // 中\U0001F600\r\n";
        host.set_code_text(text);
        host.clear_output();
        int result = engine.compile_source(engine.main_module(), nullptr, ide::kMainModuleName,
                                           ide::kMainModule);
        EXPECT_EQ(result, 23);
        EXPECT_FALSE(engine.main_module().compiled());
        EXPECT_EQ(u8(host.output()), "\r\n编译错误：不正确的运算方式或其他语法错误。\r\n");
        // The compiler reports "+*"; whatever line it is on, the editor
        // selects exactly those characters.
        std::u16string editor = ide::drop_line_feeds(text);
        ASSERT_GE(host.selection_start, 0);
        EXPECT_EQ(editor.substr(size_t(host.selection_start),
                                size_t(host.selection_end - host.selection_start)),
                  u"+*")
            << line;
    }
}

TEST_F(EngineTest, CompilingTheMainModuleAgainReleasesTheFirst) {
    compute("a(x)=x+1; a(1)");
    int first = engine.main_module().number;
    host.clear_output();
    // The same name in the same module would clash if the first stayed.
    EXPECT_EQ(compute("a(x)=x+2; a(1)"), "\r\n3");
    EXPECT_NE(engine.main_module().number, 0);
    (void)first;
}

TEST_F(EngineTest, RunErrorReportShowsTheReasonOfALoadedErrorText) {
    idetest::ScratchDir dir;
    dir.write("err.txt", "#MyFn{#1:first reason;#2:second reason;}#");
    std::string program = "LoadError(\"" + dir.path("err.txt") + "\"); 1";
    compute(program);
    EXPECT_EQ(u8(ide::filed_text(engine.kernel(), u"MyFn", ide::TextKind::Error)),
              "#1:first reason;#2:second reason;");
}

TEST_F(EngineTest, LoadErrorWithABadArgumentIsARunError) {
    std::string out = compute("LoadError(12345)");
    EXPECT_NE(out.find("LoadError  错误代码：1"), std::string::npos) << out;
}

TEST_F(EngineTest, LoadHelpStopsAtABlockWithoutItsEnd) {
    idetest::ScratchDir dir;
    dir.write("help.txt", "#f1{one}#\n#f2{two}#\n#f3{three\n#f4{four}#");
    compute("LoadHelp(\"" + dir.path("help.txt") + "\")");
    std::vector<std::u16string> names;
    ASSERT_TRUE(engine.search_help(u"", names));
    ASSERT_EQ(names.size(), 3u);  // f1, f2 and "f3{three\n#f4" up to the next "}#"
    EXPECT_EQ(u8(engine.help_text(u"f1")), "one");
    EXPECT_EQ(u8(engine.help_text(u"f2")), "two");
}

TEST_F(EngineTest, DuplicateHelpAsksAndNoEndsTheFile) {
    idetest::ScratchDir dir;
    dir.write("a.txt", "#f{first}#");
    dir.write("b.txt", "#f{second}#\n#g{gee}#");
    engine.load_texts(u16(dir.path("a.txt")), ide::TextKind::Help);
    host.answer_next(platform::kAnswerNo);
    engine.load_texts(u16(dir.path("b.txt")), ide::TextKind::Help);
    EXPECT_EQ(host.take_captions(), std::vector<std::string>{"f"});
    EXPECT_EQ(u8(engine.help_text(u"f")), "first");
    EXPECT_EQ(engine.help_text(u"g"), u"");
}

TEST_F(EngineTest, HelpSearchNeedsEveryKeywordIgnoringAsciiCase) {
    idetest::ScratchDir dir;
    dir.write("h.txt", "#sin{Sine of X, real.}#\n#cos{cosine of x}#\n#tan{Tangent}#");
    engine.load_texts(u16(dir.path("h.txt")), ide::TextKind::Help);
    std::vector<std::u16string> names;
    ASSERT_TRUE(engine.search_help(u"sine x", names));
    EXPECT_EQ(names.size(), 2u);
    ASSERT_TRUE(engine.search_help(u" OF\treal ", names));
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], u"sin");
}

TEST_F(EngineTest, WindowLimits) {
    host.clear_output();
    host.append_output(u"12345");
    struct {
        const char *call;
        int expected;
    } cases[] = {
        {"SetOutWinMax(0)", 30000},  // unchanged
        {"SetOutWinMax(1)", 15},     // never below the text + 10
        {"SetOutWinMax(50000)", 50000},
        {"SetCodeWinMax(-5)", 10},
    };
    for (auto c : cases) {
        host.clear_output();
        host.append_output(u"12345");
        host.output_limit = c.expected == 50000 ? 15 : host.output_limit;
        std::u16string text = u16(c.call);
        engine.compile_source(engine.main_module(), &text, ide::kMainModuleName, ide::kMainModule);
        engine.run_module(engine.main_module());
    }
    EXPECT_EQ(host.output_limit, 50000);
    EXPECT_EQ(host.code_limit, 10);
}

TEST_F(EngineTest, ClearEmptiesTheOutput) {
    // clear() itself is an output expression: its 0 comes after the clearing.
    EXPECT_EQ(compute("1; clear(); 2"), "\r\n0\r\n2");
}

TEST_F(EngineTest, ExtensionListMessagesNeverStopTheOthers) {
    idetest::ScratchDir dir;
    dir.write("not_a_library.so", "plain text");
    std::filesystem::create_directory(dir.path("a_directory"));
    std::string list = "< \"commented.dll\" > \"" + dir.path("a_directory") + "\" \"" +
                       dir.path("not_a_library.so") +
                       "\" \"Tamrix32W.dll\" \"MTamrix32W.dll:x\" "
                       "\"libtamrix_missing.so\" \"unterminated";
    engine.load_extensions(u16(list));
    EXPECT_EQ(engine.extension_count(), 0u);
    EXPECT_EQ(host.take_captions(),
              (std::vector<std::string>{"OpenTM：加载动态库失败！", "OpenTM：加载动态库失败！",
                                        "OpenTM：该库不是Tamrix扩展动态库！",
                                        "OpenTM：扩展动态库重复加载，被忽略！",
                                        "OpenTM：加载动态库失败！"}));
}

TEST_F(EngineTest, ExtensionsStartWithTheirArgumentAndStopInReverse) {
    const std::string libs = TAMRIX_TEST_EXTENSION_DIR;
    const std::string good = libs + "/libtmx_test_good.so";
    std::string list = "\"" + good + ":3\" \"" + good + "\" \"" + libs +
                       "/libtmx_test_failing.so\" \"" + libs + "/libtmx_test_no_entry.so\"";
    engine.load_extensions(u16(list));
    EXPECT_EQ(engine.extension_count(), 1u);
    std::vector<std::string> captions = host.take_captions();
    for (const char *expected : {"OpenTM：扩展动态库重复加载，被忽略！", "OpenTM：扩展动态库初始化失败！",
                                 "OpenTM：该库不是Tamrix扩展动态库！"})
        EXPECT_NE(std::find(captions.begin(), captions.end(), expected), captions.end()) << expected;
    EXPECT_EQ(compute("ext_scale(2)"), "\r\n6");
    // An empty list unloads them all: the function is gone.
    engine.load_extensions(u"");
    EXPECT_EQ(engine.extension_count(), 0u);
    host.clear_output();
    std::u16string text = u"ext_scale(2)";
    EXPECT_EQ(engine.compile_source(engine.main_module(), &text, ide::kMainModuleName,
                                    ide::kMainModule),
              25);
}

TEST_F(EngineTest, ModuleLoaderRecursionAndMissingFiles) {
    idetest::ScratchDir dir;
    dir.write("self.tm", "#USE# self.tm; 1");
    dir.write("a.tm", "#USE# b.tm; ~fa(x)=x+1;");
    dir.write("b.tm", "#USE# a.tm; ~fb(x)=x+2;");
    dir.write("ok.tm", "~twice(x)=2*x;");
    struct {
        std::string program;
        int result;
    } cases[] = {
        {"#USE# " + dir.path("self.tm") + "; 1", -7},
        {"#USE# " + dir.path("a.tm") + "; 1", -7},
        {"#USE# " + dir.path("missing.tm") + "; 1", -6},
        {"#USE# " + dir.path("ok.tm") + "; twice(4)", 0},
    };
    for (auto &c : cases) {
        host.clear_output();
        std::u16string text = u16(c.program);
        EXPECT_EQ(engine.compile_source(engine.main_module(), &text, ide::kMainModuleName,
                                        ide::kMainModule),
                  c.result)
            << c.program;
    }
    engine.run_module(engine.main_module());
    EXPECT_EQ(host.output_utf8(), "\r\n8");
    // Failed loads leave no entry behind; the good one stays compiled.
    ASSERT_EQ(engine.modules().size(), 1u);
    EXPECT_TRUE(engine.modules().front().module.compiled());
}

TEST_F(EngineTest, RebindKeepsEverythingWorking) {
    engine.rebind_engine();
    EXPECT_EQ(compute("SetOutWinMax(0)"), "\r\n30000");
    EXPECT_TRUE(engine.monitor().running());
}

TEST(EngineMonitor, LongComputationBringsUpTheMonitorAndInterruptEndsIt) {
    idetest::FakeHost host;
    ide::Engine engine{host};
    ASSERT_TRUE(engine.bind_engine());
    std::u16string text = u"while(1, 1)";
    engine.compile_source(engine.main_module(), &text, ide::kMainModuleName, ide::kMainModule);
    std::thread worker([&] { engine.run_module(engine.main_module()); });
    while (host.monitor_shown == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    engine.monitor().interrupt();
    worker.join();
    EXPECT_NE(host.output_utf8().find("OpenTM：用户中断了Tamrix运行。"), std::string::npos);
    engine.unbind_engine();
}

}  // namespace

namespace {

TEST(RunWorkerTest, TheEndOfAJobIsToldOnlyOnceTheWorkerIsIdle) {
    // The window starts the next run as soon as it hears of the end; a
    // worker still marked busy then would refuse it.
    ide::RunWorker worker;
    std::atomic<int> busy_when_told{0}, told{0};
    for (int i = 1; i <= 200; ++i) {
        worker.post([] {}, [&] {
            busy_when_told += worker.busy();
            ++told;
        });
        while (told < i) std::this_thread::yield();
    }
    EXPECT_EQ(busy_when_told, 0);
}

TEST(RunWorkerTest, RunsOnItsOwnThreadAndTheMonitorStillInterrupts) {
    idetest::FakeHost host;
    ide::Engine engine{host};
    ASSERT_TRUE(engine.bind_engine());
    {
        ide::RunWorker worker;
        std::u16string endless = u"while(1, 1)";
        worker.post([&] {
            engine.compile_source(engine.main_module(), &endless, ide::kMainModuleName,
                                  ide::kMainModule);
            engine.run_module(engine.main_module());
        });
        while (host.monitor_shown == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(worker.busy());
        engine.monitor().interrupt();
        worker.wait_idle();
        EXPECT_FALSE(worker.busy());
        // The workspace is free again for this thread.
        std::u16string text = u"2+3";
        engine.compile_source(engine.main_module(), &text, ide::kMainModuleName, ide::kMainModule);
        engine.run_module(engine.main_module());
        EXPECT_NE(host.output_utf8().find("\r\n5"), std::string::npos);
    }
    engine.unbind_engine();
}

}  // namespace
