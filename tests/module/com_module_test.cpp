// "ComModule": result codes and positions, prefixes and markers, module
// numbers and their release, "#USE#", and sources no one should write.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "module/module_numbers.h"
#include "module_host.h"

namespace modtest {
namespace {

using Results = std::vector<std::string>;

class ComModule : public ModuleHost {};

TEST_F(ComModule, NothingToCompileIsCode3) {
    for (const char16_t *src : {u"", u"  \r\n\t", u";;;", u"// only a comment", u"/* a */ /* b */"}) {
        Compiled c = compile(src);
        EXPECT_EQ(c.rc, 3) << "[" << c.errorEnd << "]";
        EXPECT_EQ(c.list, nullptr);
        EXPECT_EQ(c.errorStart, 0);
        EXPECT_EQ(c.errorEnd, int(std::u16string(src).size()) - 1);
    }
    int moduleNo = 0, es = 0, ee = 0;
    TmModuleNode *list = reinterpret_cast<TmModuleNode *>(1);
    EXPECT_EQ(svc.com(nullptr, &moduleNo, &list, &es, &ee), 3);
    EXPECT_EQ(list, nullptr);
    // Null out pointers are tolerated.
    EXPECT_EQ(svc.com(u"1", nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(ComModule, CommentErrorsAreMinus4AtTheProblem) {
    Compiled c = compile(u"1+2;\n3 /* open");
    EXPECT_EQ(c.rc, -4);
    EXPECT_EQ(c.errorStart, 7);
    EXPECT_EQ(c.errorEnd, 13);
    c = compile(u"1 */ 2");
    EXPECT_EQ(c.rc, -4);
    EXPECT_EQ(c.errorStart, 2);
    EXPECT_EQ(c.errorEnd, 3);
    EXPECT_EQ(compile(u"/* a /* b */ c */ 5").rc, 0);
}

TEST_F(ComModule, CompileErrorsCarryPositionsInTheWholeSource) {
    int begin = 0, end = 0;
    const int code = kernel_compile(u"2*-3", nullptr, &begin, &end);
    ASSERT_GE(code, 2);
    // The faulty statement starts at 10.
    Compiled c = compile(u"1+1;\r\n    2*-3;7");
    EXPECT_EQ(c.rc, code);
    EXPECT_EQ(c.errorStart, 10 + begin);
    EXPECT_EQ(c.errorEnd, 10 + end);
    EXPECT_EQ(c.list, nullptr);
    // With a prefix and a marker in front, the shift counts them too.
    Compiled p = compile(u"~ r: ! 2*-3");
    EXPECT_EQ(p.rc, code);
    EXPECT_EQ(p.errorStart, 7 + begin);
    EXPECT_EQ(p.errorEnd, 7 + end);
    // An unmatched bracket takes the rest of the text into its statement.
    Compiled b = compile(u"1; (1; 2");
    EXPECT_NE(b.rc, 0);
    EXPECT_GE(b.errorEnd, 5);
}

TEST_F(ComModule, AFailureDeletesEverythingItCompiled) {
    Compiled c = compile(u"~keep()=1; ~other(x)=x; (1]");
    EXPECT_NE(c.rc, 0);
    // The formulas filed before the error are gone again, with their numbers.
    void *h = nullptr;
    EXPECT_NE(kernel_compile(u"keep()", &h), 0);
    EXPECT_EQ(formulas_in(c.moduleNo), 0);
    // A clean compile afterwards can define the same names.
    Compiled ok = compile(u"~keep()=1; ~other(x)=x; keep()+other(2)");
    EXPECT_EQ(ok.rc, 0);
}

TEST_F(ComModule, TildeMakesAFormulaVisibleOutsideItsModule) {
    Compiled hidden = compile(u"sq(x)=x*x");
    ASSERT_EQ(hidden.rc, 0);
    EXPECT_NE(kernel_compile(u"sq(3)"), 0);
    svc.del(hidden.moduleNo);

    Compiled shown = compile(u"~sq(x)=x*x");
    ASSERT_EQ(shown.rc, 0);
    EXPECT_EQ(kernel_compile(u"sq(3)"), 0);
}

TEST_F(ComModule, TypePrefixesAndTheDefaultType) {
    EXPECT_EQ(run(u"7/2; i:7/2; c:(1+2i)*(3+4i); r:7/2"),
              (Results{"r:3.5", "i:3", "c:-5,10", "r:3.5"}));
    EXPECT_EQ(run(u"7/2; integer: 7/2; 9/2; r: 9/2; complex:; 2i; real: 1/4"),
              (Results{"r:3.5", "i:3", "i:4", "r:4.5", "c:0,2", "r:0.25"}));
    // Directives may share a statement with the formula they precede.
    EXPECT_EQ(run(u"integer: ~ i: 5/2"), (Results{"i:2"}));
}

TEST_F(ComModule, MarkersDecideWhatRuns) {
    register_boom();
    // A parameter or ":" keeps a formula from running; "!" runs it once now.
    EXPECT_EQ(run(u"f(x)=x+1; :f(1); ! f(2); f(3)"), (Results{"r:4"}));
    Compiled c = compile(u"~counter(::n)= n=n+1; !counter(); !counter(); counter()");
    ASSERT_EQ(c.rc, 0);
    captured().results.clear();
    svc.exe(c.list, int_out, real_out, complex_out);
    // The definition itself has no parameters: it runs too.
    EXPECT_EQ(captured().results, (Results{"r:3", "r:4"}));
    std::vector<int> runFlags;
    for (TmModuleNode *n = c.list; n; n = n->next) runFlags.push_back(n->run);
    EXPECT_EQ(runFlags, (std::vector<int>{1, 0, 0, 1}));
}

TEST_F(ComModule, PrefixesWithoutAFormulaAndUnpairedDirectives) {
    // A prefix or marker with nothing after it hands the compiler an empty text.
    for (const char16_t *src : {u"1; ~", u"1; i:", u"1; ~ c: !", u"1; :"}) {
        Compiled c = compile(src);
        EXPECT_EQ(c.rc, 3) << c.errorStart;
        EXPECT_EQ(c.list, nullptr);
    }
    // Directives alone are no formula; "#END#" without "#MODULE#" and a
    // "#MODULE#" left open are harmless.
    EXPECT_EQ(compile(u"integer:; #MODULE#; #END#").rc, 3);
    EXPECT_EQ(run(u"#END# 1; #MODULE# 2"), (Results{"r:1", "r:2"}));
}

TEST_F(ComModule, StringsWithSeparatorsStayInOneStatement) {
    EXPECT_EQ(run(u"(\"a;b//c/*d\", 5); 2"), (Results{"r:5", "r:2"}));
}

TEST_F(ComModule, SubModulesGetFreshNumbersAndHideTheirNames) {
    Compiled c = compile(u"#MODULE# h(x)=x*10; ~g(x)=h(x)+1; #END# g(2); h(2)");
    // "h" is private to the sub-module: the main module cannot call it.
    EXPECT_NE(c.rc, 0);
    c = compile(u"#MODULE# h(x)=x*10; ~g(x)=h(x)+1; #END# g(2)");
    ASSERT_EQ(c.rc, 0);
    captured().results.clear();
    svc.exe(c.list, int_out, real_out, complex_out);
    EXPECT_EQ(captured().results, (Results{"r:21"}));
    int sub = kernel().ExMsgWithTamrix(4, c.list->hFor, &c.list->type, nullptr);
    EXPECT_NE(std::abs(sub), c.moduleNo);
    EXPECT_EQ(formulas_in(sub), 2);
    EXPECT_EQ(formulas_in(c.moduleNo), 1);
    svc.del(c.moduleNo);
    EXPECT_EQ(formulas_in(sub), 0);
    EXPECT_EQ(formulas_in(c.moduleNo), 0);
}

TEST_F(ComModule, ModuleNumbersAreReservedAndGivenBack) {
    Compiled a = compile(u"1");
    Compiled b = compile(u"2");
    ASSERT_EQ(a.rc, 0);
    ASSERT_EQ(b.rc, 0);
    EXPECT_NE(a.moduleNo, b.moduleNo);
    // Another caller with its own lock cannot compile into a reserved number.
    auto otherLock = +[]() {};
    EXPECT_FALSE(kernel().LockModule(a.moduleNo, otherLock, true));
    // Asking for a number in use moves up to a free one.
    Compiled c = compile(u"3", a.moduleNo);
    ASSERT_EQ(c.rc, 0);
    EXPECT_NE(c.moduleNo, a.moduleNo);
    EXPECT_NE(c.moduleNo, b.moduleNo);
    // A module whose formulas all sit in sub-modules keeps its main number.
    Compiled s = compile(u"#MODULE# 5; #END#");
    ASSERT_EQ(s.rc, 0);
    EXPECT_EQ(formulas_in(s.moduleNo), 0);
    EXPECT_FALSE(kernel().LockModule(s.moduleNo, otherLock, true));
    Compiled d = compile(u"4", s.moduleNo);
    EXPECT_NE(d.moduleNo, s.moduleNo);
    svc.del(s.moduleNo);
    // Deleted: the number is free for anyone again.
    EXPECT_TRUE(kernel().LockModule(s.moduleNo, otherLock, true));
    EXPECT_TRUE(kernel().LockModule(s.moduleNo, otherLock, false));
    // A failed compile gives its numbers back at once.
    Compiled f = compile(u"#MODULE# 1; #MODULE# 2; (1]");
    EXPECT_NE(f.rc, 0);
    EXPECT_TRUE(kernel().LockModule(f.moduleNo, otherLock, true));
    EXPECT_TRUE(kernel().LockModule(f.moduleNo + 1, otherLock, true));
    EXPECT_TRUE(kernel().LockModule(f.moduleNo + 2, otherLock, true));
}

TEST_F(ComModule, NumbersBeyondTheRangeAndWrapAround) {
    Compiled top = compile(u"1", modlib::kLastModuleNumber);
    ASSERT_EQ(top.rc, 0);
    EXPECT_EQ(top.moduleNo, modlib::kLastModuleNumber);
    // Past the top the automatic numbers start again from 1.
    Compiled next = compile(u"2");
    ASSERT_EQ(next.rc, 0);
    EXPECT_GE(next.moduleNo, 1);
    EXPECT_LT(next.moduleNo, 100);
    EXPECT_EQ(compile(u"3", modlib::kLastModuleNumber + 1).rc, -2);
    EXPECT_EQ(compile(u"3", INT32_MAX).rc, -2);
}

TEST_F(ComModule, UseDirectives) {
    loader_script().sources[u"lib one"] = u"~twice(x)=2*x";
    loader_script().results[u"broken"] = 17;
    EXPECT_EQ(run(u"#USE#  lib one  ; twice(4)"), (Results{"r:8"}));
    EXPECT_EQ(captured().loads.back(), u"lib one");

    Compiled c = compile(u"1;\n #USE# broken ;2");
    EXPECT_EQ(c.rc, 17);
    EXPECT_EQ(c.errorStart, 4);
    EXPECT_EQ(c.errorEnd, 16);  // the statement, up to its ';'
    c = compile(u"1; #USE#   ; 2");
    EXPECT_EQ(c.rc, -5);
    EXPECT_EQ(c.errorStart, 3);
    // Without a loader published: -3.
    kernel().DeleteKey("MTM_LoadModule", 14, 256);
    c = compile(u"#USE# x");
    EXPECT_EQ(c.rc, -3);
    EXPECT_EQ(compile(u"#USE#").rc, -5);
}

TEST_F(ComModule, UseChainsAreBoundedInDepth) {
    // A loader that keeps loading: the nested compiles stop at a fixed depth.
    loader_script().sources[u"self"] = u"#USE# self";
    Compiled c = compile(u"#USE# self; 1");
    EXPECT_NE(c.rc, 0);
    EXPECT_GT(captured().loads.size(), 10u);
    EXPECT_LT(captured().loads.size(), 200u);
}

TEST_F(ComModule, TenThousandCompilationsNeitherLeakNorExhaustNumbers) {
    const std::u16string source = u"~f(x)=x*x; #MODULE# g(x)=x+1; #END# f(3); !2";
    int first = 0;
    for (int k = 0; k < 10000; ++k) {
        Compiled c = compile(source);
        ASSERT_EQ(c.rc, 0) << k;
        if (k == 0) first = c.moduleNo;
        svc.del(c.moduleNo);
    }
    // Every number went back: nothing of ours is left in the kernel.
    for (int m = first; m < first + 4; ++m) EXPECT_EQ(formulas_in(m), 0);
    EXPECT_NE(kernel_compile(u"f(2)"), 0);
}

TEST_F(ComModule, GarbageAndHugeSourcesReturnCleanly) {
    std::mt19937 rng(5);
    std::u16string garbage;
    for (int k = 0; k < 200000; ++k) garbage += char16_t(1 + rng() % 0xFFFE);
    Compiled g = compile(garbage);
    EXPECT_NE(g.rc, 0);
    EXPECT_EQ(g.list, nullptr);
    EXPECT_GE(g.errorEnd, g.errorStart);

    // 50 MB: a comment of 25 million characters around one formula.
    std::u16string huge = u"/*" + std::u16string(25'000'000, u'x') + u"*/ 42";
    EXPECT_EQ(run(huge), (Results{"r:42"}));
    std::u16string open = u"7; /*" + std::u16string(25'000'000, u';');
    Compiled o = compile(open);
    EXPECT_EQ(o.rc, -4);
    EXPECT_EQ(o.errorEnd, int(open.size()) - 1);
    // Many statements: each is cut for the compiler, never rescanned.
    std::u16string many;
    for (int k = 0; k < 20000; ++k) many += u"1+1;";
    Compiled m = compile(many);
    EXPECT_EQ(m.rc, 0);
}

}  // namespace
}  // namespace modtest
