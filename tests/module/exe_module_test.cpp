// "ExeModule", the script functions and the run-error report.
#include <string>
#include <vector>

#include "module/execute_module.h"
#include "module/run_report.h"
#include "module_host.h"
#include "platform/text.h"

namespace modtest {
namespace {

using Results = std::vector<std::string>;

class ExeModule : public ModuleHost {
protected:
    // Compiles, runs and returns what was printed through "TmMessage".
    std::u16string printed_by(const std::u16string &source) {
        captured().messages.clear();
        run(source);
        return captured().messages;
    }
};

TEST_F(ExeModule, RunsRunnableFormulasInOrderThroughTheCallbacks) {
    EXPECT_EQ(run(u"1; i:2; c:3+4i; f(x)=x; :5; 6"),
              (Results{"r:1", "i:2", "c:3,4", "r:6"}));
    // Missing callbacks are skipped, the formulas still run.
    Compiled c = compile(u"~n(::v)=v=v+1; n(); i:7; n()");
    ASSERT_EQ(c.rc, 0);
    captured().results.clear();
    svc.exe(c.list, nullptr, real_out, nullptr);
    EXPECT_EQ(captured().results, (Results{"r:1", "r:2", "r:3"}));
}

TEST_F(ExeModule, ListsThatAreNotLiveModulesAreIgnored) {
    Compiled c = compile(u"1; 2");
    ASSERT_EQ(c.rc, 0);
    captured().results.clear();
    svc.exe(nullptr, int_out, real_out, complex_out);
    svc.exe(c.list->next, int_out, real_out, complex_out);  // not a first node
    TmModuleNode fake{2, reinterpret_cast<void *>(0x1234), 1, nullptr, nullptr};
    svc.exe(&fake, int_out, real_out, complex_out);
    svc.del(c.moduleNo);
    svc.exe(c.list, int_out, real_out, complex_out);  // deleted
    EXPECT_TRUE(captured().results.empty());
    svc.del(c.moduleNo);  // twice: nothing happens
    svc.del(0);
    svc.del(-5);
}

TEST_F(ExeModule, StopEndsTheRunAfterTheCurrentFormula) {
    EXPECT_EQ(run(u"1; stop(); 3; 4"), (Results{"r:1", "r:0"}));
    // A "stop" during compilation (a "!" formula) does not cut the next run.
    EXPECT_EQ(run(u"!stop(); 1; 2"), (Results{"r:1", "r:2"}));
}

TEST_F(ExeModule, SetTalkSilencesResultsAndTheReport) {
    register_boom();
    EXPECT_EQ(run(u"1; SetTalk(0); 3; boom(1); 5"), (Results{"r:1"}));
    EXPECT_TRUE(captured().messages.empty());
    // Talking again for the rest of the run.
    EXPECT_EQ(run(u"SetTalk(0); 2; SetTalk(7)"), (Results{"r:7"}));
    // Every run starts talking.
    EXPECT_EQ(run(u"8"), (Results{"r:8"}));
}

TEST_F(ExeModule, TheReportNamesFormulaModuleFunctionCodeAndReason) {
    register_boom();
    file_description(u"boom", u"#1:first reason;#2:second reason;#3:third");
    Compiled c = compile(u"7; g()=boom(2); g(); boom(3)");
    ASSERT_EQ(c.rc, 0);
    captured().messages.clear();
    captured().results.clear();
    svc.exe(c.list, int_out, real_out, complex_out);
    // Evaluation goes on after the error; only the first is reported.
    EXPECT_EQ(captured().results, (Results{"r:7", "r:0", "r:0", "r:0"}));
    const std::u16string module = platform::from_utf8(std::to_string(-c.moduleNo));
    EXPECT_EQ(captured().messages,
              u"\r\n\r\nTamrix表达式运行错误！\r\n实数表达式名称：g  所在模块：" + module +
                  u"\r\n实数函数名：boom  错误代码：2\r\n出错原因：second reason\r\n");
    // The record was cleared by the report.
    EXPECT_EQ(kernel().TestRunErr(), 0);
}

TEST_F(ExeModule, ReasonLookupMissesAndAbsences) {
    register_boom();
    file_description(u"boom", u"#1:only one;");
    EXPECT_EQ(printed_by(u"boom(4)"),
              u"\r\n\r\nTamrix表达式运行错误！\r\n实数表达式名称：  所在模块：-1"
              u"\r\n实数函数名：boom  错误代码：4\r\n出错原因：未找到！\r\n");
    // The last entry has no terminating semicolon.
    EXPECT_EQ(file_description(u"boom", u""), 1);  // refused: "#1:only one;" stays
    std::u16string text = printed_by(u"boom(1)");
    EXPECT_NE(text.find(u"出错原因：only one\r\n"), std::u16string::npos);
}

TEST_F(ExeModule, NoDescriptionTypeMeansNoReasonLine) {
    register_boom();
    file_description(u"boom", u"#2:never shown;");
    withdraw_error_text_type();
    EXPECT_EQ(printed_by(u"boom(2)"),
              u"\r\n\r\nTamrix表达式运行错误！\r\n实数表达式名称：  所在模块：-1"
              u"\r\n实数函数名：boom  错误代码：2\r\n");
}

TEST_F(ExeModule, ErrorKindsOtherThanFunctionErrors) {
    const extproto::KernelExports &k = kernel();
    modlib::RunError e;
    e.type = 5;
    EXPECT_EQ(modlib::run_error_report(k, e),
              u"\r\n\r\nTamrix表达式运行错误！\r\n出错原因：二级函数被删除！重新编译该表达式可以检查"
              u"（或修复）这个错误。\r\n\r\n");
    e.type = 4;
    EXPECT_NE(modlib::run_error_report(k, e).find(u"父表达式被删除！"), std::u16string::npos);
    e.type = 6;
    e.name = u"OpenTM：用户中断了Tamrix运行。";
    EXPECT_EQ(modlib::run_error_report(k, e),
              u"\r\n\r\nTamrix表达式运行错误！\r\n其他运行错误！\r\n错误描述：OpenTM：用户中断了"
              u"Tamrix运行。  错误代码：0\r\n");
    e.type = 1;
    e.name = u"Integer division by zero";
    e.code = 0;
    e.formulaType = 1;
    e.hFor = reinterpret_cast<void *>(0x10);  // unknown handle: no name, module 0
    EXPECT_EQ(modlib::run_error_report(k, e),
              u"\r\n\r\nTamrix表达式运行错误！\r\n整数表达式名称：  所在模块：0"
              u"\r\n整数函数名：Integer division by zero  错误代码：0\r\n");
    e.type = 0;
    EXPECT_EQ(modlib::run_error_report(k, e), u"");
}

TEST_F(ExeModule, IntegerAndComplexFormulasAreNamedByType) {
    EXPECT_NE(printed_by(u"i: d(x)=1/x; i: d(0)").find(u"\r\n整数表达式名称：d  所在模块："),
              std::u16string::npos);
    EXPECT_NE(printed_by(u"c: SetComplexStackMax(0); c: q(z)=q(z); c: q(1)").find(u"\r\n复数表达式名称：q"),
              std::u16string::npos);
}

TEST_F(ExeModule, ErrReportsAndClearsAndReturnsTheType) {
    register_boom();
    EXPECT_EQ(run(u"boom(3); err(); err()"), (Results{"r:0", "r:2", "r:0"}));
    EXPECT_NE(captured().messages.find(u"实数函数名：boom  错误代码：3"), std::u16string::npos);
    // Cleared by "err": nothing left for the final report.
    EXPECT_EQ(captured().messages.find(u"Tamrix表达式运行错误！"),
              captured().messages.rfind(u"Tamrix表达式运行错误！"));
}

TEST_F(ExeModule, VersionPrintsTheKernelAndTheLibrary) {
    EXPECT_EQ(run(u"MTamrixVer()"), (Results{"r:0"}));
    std::u16string expected = u"\r\n";
    expected += kernel().TamrixVer();
    expected += u"\r\n";
    expected += modlib::kModuleLibraryVersion;
    expected += u"\r\n";
    EXPECT_EQ(captured().messages, expected);
}

TEST_F(ExeModule, WithoutAMessageFunctionNothingIsPrintedAndNothingBreaks) {
    register_boom();
    kernel().DeleteKey("TmMessage", 9, 256);
    EXPECT_EQ(run(u"MTamrixVer(); boom(1); err()"), (Results{"r:0", "r:0", "r:2"}));
    EXPECT_TRUE(captured().messages.empty());
}

}  // namespace
}  // namespace modtest
