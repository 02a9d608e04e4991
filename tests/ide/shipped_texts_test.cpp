// The shipped error and help texts: every script function has a help text,
// and the run errors the kernel, the hosts and the extension libraries
// record show their reason.
#include <gtest/gtest.h>

#include <fstream>

#include "engine.h"
#include "fake_host.h"
#include "workspace_text.h"

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

    void expect_help(std::initializer_list<const char16_t *> names) {
        for (const char16_t *name : names)
            EXPECT_NE(engine.help_text(name).find(u"："), std::u16string::npos)
                << idetest::u8(name);
    }

    // Each program ends in a run error whose report must give its reason.
    void expect_reasons(std::initializer_list<const char *> programs) {
        for (const char *program : programs) {
            host.clear_output();
            std::u16string text = u16(program);
            engine.compile_source(engine.main_module(), &text, ide::kMainModuleName,
                                  ide::kMainModule);
            engine.run_module(engine.main_module());
            std::string out = host.output_utf8();
            EXPECT_NE(out.find("出错原因："), std::string::npos) << program << "\n" << out;
            EXPECT_EQ(out.find("未找到！"), std::string::npos) << program << "\n" << out;
        }
    }

    idetest::FakeHost host;
    ide::Engine engine{host};
};

// The default workspace's libraries, as its "#LOAD" names them (the data
// library first, the graphics library among them).
class ShippedLibraryTexts : public ShippedTexts {
protected:
    void SetUp() override {
        ShippedTexts::SetUp();
        std::ifstream in(TAMRIX_IDE_TEXTS_DIR "/default.otm", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        std::optional<std::u16string> load = ide::parse_workspace(u16(text)).load;
        ASSERT_TRUE(load);
        engine.load_extensions(*load);
        ASSERT_EQ(engine.extension_count(), 5u);
        EXPECT_TRUE(host.boxes().empty());
    }
};

TEST_F(ShippedTexts, EveryScriptFunctionHasHelp) {
    expect_help({
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
        u"UnloadError", u"LoadHelp", u"UnloadHelp", u"SetCodeWinMax", u"SetOutWinMax"});
}

TEST_F(ShippedTexts, RunErrorReportsShowTheirReason) {
    expect_reasons({
        "max()",
        "f(x,y)=x; SimpIntegrate(0, 1, 1e-9, \"f\")",
        "f(x)=x; sum(\"f\", 1, 0, 1)",
        "f(x)=x; DataSum(\"f\")",
        "g(n)=g(n+1); g(1)",
        "which(0, 1)",
        "i: f(x)=10/x; i: f(0)",
        "f(:s)= s=\"A\", getc(s+100); f()",
        "LoadHelp(99)",
    });
}

TEST_F(ShippedLibraryTexts, EveryLibraryFunctionHasHelp) {
    expect_help({
        // data library, in registration order (integer, then the real- and
        // complex-only forms share these names)
        u"new", u"newcopy", u"delete", u"DelAllTMD", u"DelAllTMDNum", u"NowTMDNum", u"SetTMDMax",
        u"SetTMDRecurMax", u"typedef", u"TMDType", u"TMDLen", u"copy", u"get", u"set",
        u"TMDToStr", u"StrToTMD", u"TMDstrlen", u"TMDstrcpy", u"TMDstrcat", u"TMDstrcmp",
        u"associated", u"null", u"ftod", u"dtof", u"printff", u"printfs", u"scanfs", u"CSetLen",
        u"CHasName", u"CDupName", u"CSetAllAttr", u"CSD", u"CSB", u"CSetItem", u"CSetItemI",
        u"CGetNameI", u"CSetName", u"CSetNameI", u"CGetP", u"CGetPI", u"CSetP", u"CSetPI",
        u"CGetA", u"CGetAI", u"CSetA", u"CSetAI", u"CAdd", u"CAppend", u"CInsert", u"CInsertI",
        u"CPop", u"CDelete", u"CDeleteI", u"CReverse", u"CSwap", u"CSort", u"CDFSBase",
        // string library
        u"string::setstrlen", u"string::fstons", u"string::nstofs", u"string::strtowcs",
        u"string::wcstostr", u"string::strcpy", u"string::wcscpy", u"string::strcpys",
        u"string::wcscpys", u"string::strcat", u"string::wcscat", u"string::strcats",
        u"string::wcscats", u"string::strcati", u"string::wcscati", u"string::strcatr",
        u"string::wcscatr", u"string::strcmp", u"string::wcscmp", u"string::strlen",
        u"string::wcslen",
        // system library and its constants
        u"sys::comfor", u"sys::comfors", u"sys::testtmfor", u"sys::call", u"sys::clock",
        u"sys::ShellExecute", u"sys::tmfor", u"sys::CLOCKS_PER_SEC",
        // optimisation library and its algorithm constants
        u"opt::brent", u"opt::minimize", u"opt::fit", u"opt::NELDERMEAD", u"opt::SUBPLEX",
        u"opt::BOBYQA", u"opt::COBYLA", u"opt::LBFGS",
        // graphics library: the scene, a few drawing functions, the plots
        u"gleWorkDrawScene", u"gleDrawScene", u"glBegin", u"gleSaveScene", u"fgMesh",
        u"fgMesh3d", u"fgPlot", u"fgParaPlot", u"fgPlot3d", u"fgParaPlot3d"});
}

// The data library reports its message as the function name (code 1); the
// others report numbered codes under their own names.
TEST_F(ShippedLibraryTexts, LibraryRunErrorReportsShowTheirReason) {
    expect_reasons({
        "i: get()",
        "i: new(int32_s)",
        "i: (:a)= a=new(int8_s, 2), get(a, 5)",
        "i: newcopy(1, 2, 3, 4)",
        "i: CPop(5)",
        "i: CSetLen(5, 1)",
        "i: (:c)= c=new(class, 0, 1), CAppend(c, 0, 1), CAppend(c, 0, 2)",
        "i: printff(\"{1,q}\", 1)",
        "printfs(\"x\", 5)",  // a real formula: error type 2
        "i: scanfs(\"x\", 1, 2)",
        "i: copy(5, 6)",
        "i: TMDstrcat(5, \"a\", 0)",
        "(:s)= s=new(wchar_s, 2, 2), string::wcslen(s)",
        "i: string::strcpys(5, \"a\")",
        "string::fstons(9, 0, 0, 0, 0)",
        "i: sys::call(1, 2)",
        "i: sys::comfor(5, \"f(x)=x\", 2, 1, 0, 0)",
        "opt::brent(\"nothing\", 1, 2)",
        "c(x)=cos(x); opt::brent(\"c\", 1, 1)",
        "f(x,y)=x+y; (:p)= p=new(real64_s, EndType, 1, 2), opt::minimize(\"f\", p, 99)",
        "gleDrawScene(0)",
    });
}

}  // namespace
