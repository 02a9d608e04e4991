// The real compiler end to end: source through RealCom, value through
// RealCal, and the compiled arrays where their shape is part of the contract
// (folding, assignments, write-back lists, the callee list).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "code_paths.h"
#include "typed_compile.h"
#include "kernel/disasm.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel/run_error.h"
#include "tamrix/tamrix.h"

namespace tmx {
namespace {

using test::u16;

using Compiled = test::RealCompiled;

Compiled compile(const std::string &src, int module = 1) { return test::compile_real(src, module); }

// Compiles, fills the parameters and evaluates; NaN when the compile fails.
double run(const std::string &src, std::vector<double> args = {}) {
    Compiled c = compile(src);
    EXPECT_EQ(c.rc, 0) << src << " [" << c.err_begin << ", " << c.err_end << "]";
    if (c.rc != 0) return std::nan("");
    EXPECT_EQ(size_t(c.params + 1), args.size()) << src;
    for (size_t k = 0; k < args.size() && int(k) <= c.params; ++k) c.data[k] = args[k];
    return RealCal(c.rec, c.data);
}

uint64_t bits(double d) { return test::bits_of(d); }

// The same fixture as the integer and complex compile tests.
class RealCompileTest : public test::TypedCompileTest {};

using Bytes = std::vector<uint8_t>;

// --- values ----------------------------------------------------------------------

TEST_F(RealCompileTest, Corpus) {
    struct Case {
        const char *src;
        std::vector<double> args;
        double want;
    };
    const Case cases[] = {
        {"(x)=x*2+1", {3}, 7},
        {"1+2*3-4/2", {}, 5},
        {"2^10", {}, 1024},
        {"(x)=(-x)^2", {3}, 9},
        {"(x)=-(x^2)", {3}, -9},
        {"(x,y)=x>y | x==y", {2, 2}, 1},
        {"(x,y)=x>y & y>0", {3, 1}, 1},
        {"(x,y)=x<y | x<=y-1 | x>=y+9 | x!=x", {5, 1}, 0},
        {"(!0)+(!3)", {}, 1},
        {"(x)=(x=x+1, x*2)", {4}, 10},
        {"(x)=x+(x, 2)", {4}, 6},
        {"(x:i,s)=s=0, i=0, while(i<x, i++, s=s+i), s", {10}, 55},
        {"(x:i)=i=0, until(i++, i>=x), i", {5}, 5},
        {"(x:i,s)=s=0, i=0, while(1, i++, if(i>x, break()), if(fmod(i,2), continue()), s=s+i), s",
         {10}, 30},
        {"(x:s)=s=0, until(s=s+1, if(s>x, break()), 0), s", {3}, 4},
        {"which(0, 1, 0, 2, 3)", {}, 3},
        {"(x)=which(x>0, 1, x<0, -1, 0)", {-2}, -1},
        {"(x)=which(x>0, 1, x<0, -1, 0)", {0}, 0},
        {"(x)=if(x, 5)", {1}, 0},
        {"(x)=if(x, 5) + 1", {0}, 1},
        {"(x)=return(x*2), 99", {4}, 8},
        {"sign(3,-1)+dim(5,3)+fmod(7,3)", {}, -3 + 2 + 1},
        {"sqrt(16)+exp(0)+ln(1)+lg(100)", {}, 7},
        {"floor(-2.5)+ceil(2.5)+abs(-3)", {}, 3},
        {"(x:a)=a=x, (a++)+a", {3}, 7},
        {"(x:a)=a=x, --a*2", {3}, 4},
        {"(x)=x++, x", {3}, 4},
        {"[1+2]*{3}", {}, 9},
        {"getw(\"abc\")", {}, 97},
        {"(x:static,n)=n=n+x, n", {2}, 2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(run(c.src, c.args), c.want) << c.src;
        EXPECT_EQ(take_run_error(), 0) << c.src;
        Compiled compiled = compile(c.src);
        if (compiled.rc == 0) test::walk_all_paths(compiled.rec);
    }
}

// Random well-formed formulas: every one compiles, every path of its code
// keeps the stack inside the data array, and it runs to an end.
class RandomFormula {
  public:
    explicit RandomFormula(unsigned seed) : rng_(seed) {}

    std::string expr(int depth) {
        if (depth <= 0) return atom();
        auto e = [&] { return expr(depth - 1); };
        const std::string i = "i" + std::to_string(depth);
        switch (pick(14)) {
        case 0: return atom();
        case 1: case 2: return e() + binary() + e();
        case 3: return "(" + std::string(1, "-!+"[pick(3)]) + "(" + e() + "))";
        case 4: return one_arg() + "(" + e() + ")";
        case 5: return std::string(pick(2) ? "atan2(" : "fmod(") + e() + ", " + e() + ")";
        case 6: return "if(" + e() + ", " + e() + ", " + e() + ")";
        case 7: return "which(" + e() + ", " + e() + ", " + e() + ", " + e() +
                       (pick(2) ? ", " + e() : "") + ")";
        case 8: return "(a=" + e() + ")";
        case 9: return "(" + e() + ", " + e() + ")";
        case 10: return pick(2) ? "(a++)" : "(--a)";
        // Each nesting level counts with its own variable, so no loop can reset
        // the counter of a loop around it.
        case 11: return "(" + i + "=0, while(" + i + "<3, " + i + "++, if(" + e() +
                        ", continue()), " + e() + "))";
        case 12: return "(" + i + "=0, until(" + i + "++, if(" + e() + ", break()), " + e() +
                        ", " + i + ">=3))";
        default: return "h(" + e() + ", &a)";
        }
    }

  private:
    int pick(int n) { return int(rng_() % unsigned(n)); }
    std::string atom() {
        static const char *kAtoms[] = {"x", "y", "a", "2", "0.5", "0", "3"};
        return kAtoms[pick(7)];
    }
    std::string binary() {
        static const char *kOps[] = {"+", "-", "*", "/", "^", ">", ">=", "<",
                                     "<=", "==", "!=", "&", "|"};
        return kOps[pick(13)];
    }
    std::string one_arg() {
        static const char *kNames[] = {"sin", "sqrt", "abs", "floor", "exp", "itor", "rtoi"};
        return kNames[pick(7)];
    }
    std::mt19937 rng_;
};

TEST_F(RealCompileTest, RandomFormulasCompileToSoundCode) {
    ASSERT_EQ(compile("h(p, q)=q=q+p").rc, 0);
    RandomFormula gen(20240611);
    for (int n = 0; n < 400; ++n) {
        std::string src = "(x, y: a, i0, i1, i2, i3, i4, i5)=" + gen.expr(1 + n % 5);
        Compiled c = compile(src);
        ASSERT_EQ(c.rc, 0) << src << " [" << c.err_begin << ", " << c.err_end << "]";
        test::walk_all_paths(c.rec);
        ASSERT_FALSE(HasFailure()) << src << "\n" << c.listing();
        c.data[0] = 1.5;
        c.data[1] = -2;
        RealCal(c.rec, c.data);
        take_run_error();
    }
}

TEST_F(RealCompileTest, FoldedAndRunTimeResultsHaveTheSameBits) {
    const char *templates[] = {
        "sin(#)*2+cos(#)", "#^3-#/7",        "sqrt(#)+exp(#)", "(#>1)+(#==#)*2",
        "atan(#)*tanh(#)", "-(#)*2",         "!(#)",           "ln(#)-lg(#)",
        "floor(#/3)+ceil(#)", "itor(rtoi(#))", "abs(#)^0.5",   "asin(#)+acos(#)+sinh(#)-cosh(#)",
    };
    const double values[] = {0.7, 2, -1.5, 1e10, 0, 1e-300};
    for (const char *t : templates) {
        for (double v : values) {
            char literal[64];
            std::snprintf(literal, sizeof literal, "(%.17g)", v);
            std::string folded, by_param = "(c)=";
            for (const char *p = t; *p; ++p) {
                folded += *p == '#' ? std::string(literal) : std::string(1, *p);
                by_param += *p == '#' ? std::string("c") : std::string(1, *p);
            }
            Compiled f = compile(folded);
            ASSERT_EQ(f.rc, 0) << folded;
            EXPECT_EQ(f.instructions(), (Bytes{OpPushConst, OpReturn})) << folded << "\n"
                                                                         << f.listing();
            double a = RealCal(f.rec, f.data);
            double b = run(by_param, {v});
            EXPECT_EQ(bits(a), bits(b)) << folded << " = " << a << ", " << by_param << " = " << b;
        }
    }
}

TEST_F(RealCompileTest, RecursionThroughTheSharedStack) {
    EXPECT_EQ(run("SetRealStackMax(1000)"), 1000);
    EXPECT_EQ(run("fact(n)=which(n<=1, 1, n*fact(n-1))", {10}), 3628800);
    EXPECT_EQ(take_run_error(), 0);
}

// --- the compiled form -------------------------------------------------------------

TEST_F(RealCompileTest, WorkedExample) {
    Compiled c = compile("f(x)=x*2+1");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.params, 0);
    const int32_t *h = c.rec->header;
    EXPECT_EQ(Bytes(c.rec->code, c.rec->code + h[kCodeLength]),
              (Bytes{0, 0, 'f', 0, 0, 0, OpPushVar, OpPushConst, OpMul, OpPushConst, OpAdd,
                     OpReturn}));
    EXPECT_EQ(h[kCodeStart], 6);
    EXPECT_EQ(h[kFirstString], 3);
    EXPECT_EQ(h[kHeaderLength], 16);
    EXPECT_EQ(h[kCalleeFirst], 16);
    EXPECT_EQ(h[kCalleeLast], 15);
    EXPECT_EQ(h[kStackBase], 3);
    EXPECT_EQ(h[kDataLength], 5);
    EXPECT_EQ(c.data[1], 2);
    EXPECT_EQ(c.data[2], 1);
    EXPECT_EQ(h[kSelf] != 0, true);
}

TEST_F(RealCompileTest, FoldingLeavesOneConstant) {
    Compiled c = compile("2+3*4");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), (Bytes{OpPushConst, OpReturn}));
    EXPECT_EQ(c.data[c.rec->header[kVarCount]], 14);

    c = compile("sin(0)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), (Bytes{OpPushConst, OpReturn}));
    c = compile("getc(1)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), (Bytes{OpPushConst, kRealGetc, OpReturn}));
}

TEST_F(RealCompileTest, AssigningAParameterMarksTheFormula) {
    Compiled c = compile("f(x)=(x=2, x+1)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.rec->code[1] & kFlagModifiesParams, kFlagModifiesParams);
    EXPECT_TRUE(ParaModify(2, c.rec));
    EXPECT_EQ(c.instructions(), (Bytes{OpPushConst, OpStoreVar, OpPushVar, OpPushConst, OpAdd,
                                       OpDropKeep, OpReturn}))
        << c.listing();
    c = compile("g(x)=x+1");
    ASSERT_EQ(c.rc, 0);
    EXPECT_FALSE(ParaModify(2, c.rec));
}

TEST_F(RealCompileTest, ByReferenceArgumentsAreWrittenBack) {
    Compiled f = compile("f(a)=a=a*3");
    ASSERT_EQ(f.rc, 0);
    Compiled g = compile("g(x)=f(&x)");
    ASSERT_EQ(g.rc, 0);
    EXPECT_EQ(g.instructions(), (Bytes{OpPushVar, OpCallReal, 2, 0, OpReturn})) << g.listing();
    EXPECT_EQ(g.operands(), (std::vector<int32_t>{0, f.rec->header[kSelf], 0, 0, 0}));
    EXPECT_EQ(g.rec->header[kCalleeLast] - g.rec->header[kCalleeFirst], 0);
    g.data[0] = 2;
    EXPECT_EQ(RealCal(g.rec, g.data), 6);
    EXPECT_EQ(g.data[0], 6);
}

double twice(int, double *args, TmCallContext *) { return args[0] * 2; }

TEST_F(RealCompileTest, OneCalleeEntryPerFunction) {
    ASSERT_EQ(SetFunction(5, u"twice", reinterpret_cast<void *>(&twice), 0), 0);
    Compiled h = compile("h(x)=twice(x)+twice(1)+twice(2)");
    ASSERT_EQ(h.rc, 0);
    const int32_t *hd = h.rec->header;
    EXPECT_EQ(hd[kCalleeFirst], hd[kCalleeLast]);
    EXPECT_EQ(hd[kHeaderLength], hd[kCalleeLast] + 1);
    EXPECT_EQ(hd[hd[kCalleeFirst]], hd[kOperandStart + 1]); // the first call's callee
    h.data[0] = 5;
    EXPECT_EQ(RealCal(h.rec, h.data), 16);

    EXPECT_EQ(compile("twice()").rc, 27);
    Compiled bad = compile("1+twice(1, 2)");
    EXPECT_EQ(bad.rc, 27);
    EXPECT_EQ(bad.err_begin, 2);
    EXPECT_EQ(bad.err_end, 12);
}

TEST_F(RealCompileTest, WhichWithoutMatch) {
    EXPECT_EQ(run("which(0, 1, 2)"), 2);
    EXPECT_EQ(take_run_error(), 0);
    run("which(0, 1)");
    const char16_t *name = nullptr;
    EXPECT_EQ(take_run_error(&name), 2);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::u16string(name), u"which");
}

TEST_F(RealCompileTest, PendingRunErrorFailsTheCompile) {
    SetRunErr(2, u"earlier", 5, 0, nullptr);
    Compiled c = compile("1+1");
    EXPECT_EQ(c.rc, 36);
    EXPECT_EQ(c.err_begin, 0);
    EXPECT_EQ(c.err_end, 0);
    int type = 0, code = 0;
    const char16_t *name = nullptr;
    GetRunErr(&type, &name, &code, nullptr, nullptr);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(code, 5);
    EXPECT_EQ(compile("1+1").rc, 0);
}

TEST_F(RealCompileTest, ControlFunctionErrors) {
    struct Case {
        const char *src;
        int rc, first, last;
    };
    const Case cases[] = {
        {"if(1)", 16, 0, 4},
        {"break()", 15, 0, 4},
        {"while(1, break(1))", 14, 9, 13},
        {"continue()", 13, 0, 7},
        {"until(continue(1), 1)", 12, 6, 13},
        {"sin(1, 2)", 26, 0, 8},
        {"f(x)=f()", 33, 5, 7},
    };
    for (const Case &c : cases) {
        Compiled r = compile(c.src);
        EXPECT_EQ(r.rc, c.rc) << c.src;
        EXPECT_EQ(r.err_begin, c.first) << c.src;
        EXPECT_EQ(r.err_end, c.last) << c.src;
    }
}

TEST_F(RealCompileTest, LongAndDeepSourcesCompile) {
    std::string sum = "(x)=x";
    for (int k = 0; k < 2000; ++k) sum += "+x*" + std::to_string(k % 7);
    EXPECT_EQ(run(sum, {1}), 1 + 285 * 21 + (0 + 1 + 2 + 3 + 4)); // 2000 = 285*7 + 5

    const int depth = 200000;
    std::string deep = "(x)=" + std::string(depth, '(') + "x+1" + std::string(depth, ')');
    EXPECT_EQ(run(deep, {41}), 42);
}

}  // namespace
}  // namespace tmx
