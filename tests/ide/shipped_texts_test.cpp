// The shipped error and help texts: every script function has a help text,
// and the run errors the kernel and the hosts record show their reason.
#include <gtest/gtest.h>

#include "engine.h"
#include "fake_host.h"

namespace {

using idetest::u16;

class ShippedTexts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.bind_engine());
        engine.load_shipped_texts(u16(TAMRIX_IDE_TEXTS_DIR));
        // Every file parses without a refused block.
        EXPECT_TRUE(host.boxes().empty());
    }
    void TearDown() override { engine.unbind_engine(); }

    idetest::FakeHost host;
    ide::Engine engine{host};
};

TEST_F(ShippedTexts, EveryScriptFunctionHasHelp) {
    const char16_t *names[] = {
        // instruction built-ins of the three types
        u"return", u"sqrt", u"exp", u"ln", u"lg", u"sin", u"cos", u"tan", u"asin", u"acos",
        u"atan", u"sinh", u"cosh", u"tanh", u"abs", u"floor", u"ceil", u"itor", u"rtoi", u"getc",
        u"getw", u"getn", u"atan2", u"fmod", u"sign", u"dim", u"padd", u"setc", u"setw", u"setn",
        u"not", u"itop", u"ptoi", u"or", u"and", u"xor", u"shl", u"shr", u"con", u"xy", u"x0",
        u"y0",
        // control functions
        u"if", u"which", u"while", u"until", u"break", u"continue",
        // registered built-ins
        u"max", u"min", u"modf", u"SimpIntegrate", u"sum", u"pro", u"DataSum", u"DataPro",
        u"SetIntStackMax", u"SetRealStackMax", u"SetComplexStackMax", u"const", u"GetCalByte",
        u"Module", u"OutFun", u"HFor", u"using",
        // the module library and the hosts
        u"MTamrixVer", u"err", u"stop", u"SetTalk", u"clear", u"SetOpenTmPath", u"LoadError",
        u"UnloadError", u"LoadHelp", u"UnloadHelp", u"SetCodeWinMax", u"SetOutWinMax"};
    for (const char16_t *name : names)
        EXPECT_NE(engine.help_text(name).find(u"："), std::u16string::npos) << idetest::u8(name);
}

TEST_F(ShippedTexts, RunErrorReportsShowTheirReason) {
    const char *programs[] = {
        "max()",
        "f(x,y)=x; SimpIntegrate(0, 1, 1e-9, \"f\")",
        "f(x)=x; sum(\"f\", 1, 0, 1)",
        "f(x)=x; DataSum(\"f\")",
        "g(n)=g(n+1); g(1)",
        "which(0, 1)",
        "i: f(x)=10/x; i: f(0)",
        "f(:s)= s=\"A\", getc(s+100); f()",
        "LoadHelp(99)",
    };
    for (const char *program : programs) {
        host.clear_output();
        std::u16string text = u16(program);
        engine.compile_source(engine.main_module(), &text, ide::kMainModuleName, ide::kMainModule);
        engine.run_module(engine.main_module());
        std::string out = host.output_utf8();
        EXPECT_NE(out.find("出错原因："), std::string::npos) << program << "\n" << out;
        EXPECT_EQ(out.find("未找到！"), std::string::npos) << program << "\n" << out;
    }
}

}  // namespace
