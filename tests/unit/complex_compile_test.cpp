// The complex compiler through ComplexCom: real literals with imaginary
// suffixes, the lone imaginary unit, error 4, '^' against '%', the built-in
// table with its argument counts and fold range, calls into the three types,
// string literal values and folding that gives the evaluator's bits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "code_paths.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel/work_buffers.h"
#include "tamrix/tamrix.h"
#include "typed_compile.h"

namespace tmx::test {
namespace {

class ComplexCompileTest : public TypedCompileTest {};

// The constant a source folds to: it must compile to one OpPushConst.
TmComplex folded(const std::string &src) {
    ComplexCompiled c = compile_complex(src);
    EXPECT_EQ(c.rc, 0) << src << " [" << c.err_begin << ", " << c.err_end << "]";
    if (c.rc != 0) return {-12345, -12345};
    EXPECT_EQ(c.instructions(), bytes({OpPushConst, OpReturn})) << src << "\n" << c.listing();
    EXPECT_EQ(c.constants().size(), 1u) << src;
    return c.constants().empty() ? TmComplex{-12345, -12345} : c.constants()[0];
}

void expect_folded(const std::string &src, TmComplex want) {
    TmComplex got = folded(src);
    EXPECT_TRUE(same_bits(got, want)) << src << ": " << show(got) << " != " << show(want);
}

void expect_error(const std::string &src, int code, int first, int last) {
    ComplexCompiled c = compile_complex(src);
    EXPECT_EQ(c.rc, code) << src;
    EXPECT_EQ(c.err_begin, first) << src;
    EXPECT_EQ(c.err_end, last) << src;
    EXPECT_EQ(c.rec, nullptr) << src;
}

// --- literals and the imaginary unit ------------------------------------------------

TEST_F(ComplexCompileTest, RealLiteralsHaveAZeroImaginaryPart) {
    expect_folded("2", {2, 0});
    expect_folded("1.5e3", {1500, 0});
    expect_folded(".25", {0.25, 0});
    expect_folded("1e400", {std::numeric_limits<double>::infinity(), 0});
    expect_error("1..2", 17, 0, 2);
    expect_error("1e", 17, 0, 1);
}

TEST_F(ComplexCompileTest, ImaginaryLiterals) {
    expect_folded("2i", {0, 2});
    expect_folded("2 i", {0, 2});
    expect_folded("2I", {0, 2});
    expect_folded("2.5e1i", {0, 25});
    expect_folded(".5\ni", {0, 0.5});
    // One suffix only: the second i is an operand of its own.
    expect_error("2i i", 7, 3, 3);
    expect_error("2 i I", 7, 4, 4);
    // "ii" and "in" are names, not suffixes.
    expect_error("2ii", 24, 1, 2);
}

TEST_F(ComplexCompileTest, TheLoneIIsTheImaginaryUnit) {
    expect_folded("i", {0, 1});
    expect_folded("I", {0, 1});
    ComplexCompiled c = compile_complex("(x)=x*i");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, OpPushConst, OpMul, OpReturn}));
    ASSERT_EQ(c.constants().size(), 1u);
    EXPECT_TRUE(same_bits(c.constants()[0], {0, 1}));
    // It is a constant, not a variable.
    expect_error("(x)=(i=2)", 22, 5, 6);
    expect_error("(x)=i++", 19, 4, 6);
    expect_error("(x)=sqrt(&i)", 18, 9, 10);
}

TEST_F(ComplexCompileTest, HeaderMayNotDeclareI) {
    expect_error("f(i)=i", 4, 2, 2);
    expect_error("f(x,I)=x", 4, 4, 4);
    expect_error("f(x:i)=x", 4, 4, 4);
    expect_error("f(x::common,i)=x", 4, 12, 12);
    expect_error("f(x:static,i)=x", 4, 11, 11);
    // Longer names and the formula's own name are fine.
    EXPECT_EQ(compile_complex("i(ii, Ix)=ii+Ix").rc, 0);
}

// --- operators ------------------------------------------------------------------------

TEST_F(ComplexCompileTest, CaretIsThePowerAndPercentIsRefused) {
    ComplexCompiled c = compile_complex("(x)=x^2");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, OpPushConst, OpPow, OpReturn}));
    expect_error("7%3", 7, 1, 1);
    expect_error("-x^2", 24, 1, 1);
    expect_error("(x)=-x^2", 30, 4, 6);
}

TEST_F(ComplexCompileTest, UnaryMinusAndNotFoldWithoutTheEvaluator) {
    expect_folded("-i", {0, -1});
    expect_folded("-(2-3i)", {-2, 3});
    expect_folded("!0", {1, 0});
    expect_folded("!2", {0, 0});
    // The imaginary part is not tested and stays (as the evaluator's OpNot
    // leaves it).
    expect_folded("!i", {1, 1});
    expect_folded("!(5i)", {1, 5});
    expect_folded("!(-3i)", {1, -3});
}

// --- built-ins ---------------------------------------------------------------------------

TEST_F(ComplexCompileTest, BuiltinArgumentCounts) {
    for (const char *one : {"sqrt", "exp", "ln", "sin", "cos", "abs", "floor", "ceil", "con",
                            "xy", "x0", "y0", "itor", "rtoi", "getc", "getw", "getn"}) {
        std::string name = one;
        EXPECT_EQ(compile_complex("(x)=" + name + "(x)").rc, 0) << name;
        ComplexCompiled bad = compile_complex("(x)=" + name + "(x,x)");
        EXPECT_EQ(bad.rc, 26) << name;
        EXPECT_EQ(bad.err_begin, 4) << name;
        EXPECT_EQ(bad.err_end, int(4 + name.size() + 4)) << name;
    }
    for (const char *two : {"setc", "setw", "setn"}) {
        std::string name = two;
        EXPECT_EQ(compile_complex("(x)=" + name + "(x,x)").rc, 0) << name;
        EXPECT_EQ(compile_complex("(x)=" + name + "(x)").rc, 26) << name;
    }
    for (const char *other : {"lg", "tan", "atan2", "fmod", "shl", "not", "padd"}) {
        EXPECT_EQ(compile_complex(std::string(other) + "(1)").rc, 25) << other;
    }
}

TEST_F(ComplexCompileTest, BuiltinOpcodesFollowTheComplexTable) {
    ComplexCompiled c = compile_complex("(x)=setn(xy(x),con(x))");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, 55, OpPushVar, 54, 65, OpReturn}));
}

TEST_F(ComplexCompileTest, IndexBuiltinsAreNotFolded) {
    for (const char *src : {"getc(1)", "getw(1)", "getn(1)", "setc(2,65)"}) {
        ComplexCompiled c = compile_complex(src);
        ASSERT_EQ(c.rc, 0) << src;
        EXPECT_GT(c.instructions().size(), 2u) << src << "\n" << c.listing();
    }
}

// --- string literals ------------------------------------------------------------------------

TEST_F(ComplexCompileTest, StringLiteralsAreTheirIndexWithZeroImaginaryPart) {
    ComplexCompiled c = compile_complex("(\"x\", @\"a\\b\")");
    ASSERT_EQ(c.rc, 0);
    const int32_t first = c.header()[kFirstString];
    EXPECT_EQ(first, 2); // anonymous: word 0 flags, word 1 the empty name's NUL
    std::vector<TmComplex> k = c.constants();
    ASSERT_EQ(k.size(), 2u);
    EXPECT_TRUE(same_bits(k[0], {double(first), 0}));
    EXPECT_TRUE(same_bits(k[1], {double(first + 2), 0}));
    const auto *words = reinterpret_cast<const char16_t *>(c.rec->code);
    EXPECT_EQ(std::u16string(words + first + 2), u"a\\b");
}

// --- calls ---------------------------------------------------------------------------------

TmComplex complex_ext(TmComplex *result, int, TmComplex *args, TmCallContext *) {
    *result = args[0];
    return *result;
}
void complex_ext_fn(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx) {
    complex_ext(result, m, args, ctx);
}

TEST_F(ComplexCompileTest, CallArgumentCountsOfTheThreeTypes) {
    void *h = nullptr;
    int p, b, e;
    int64_t *idata;
    double *rdata;
    ASSERT_EQ(IntCom(u"ki(a,b)=a+b", 1, &h, &p, &idata, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(RealCom(u"kr(a)=a", 1, &h, &p, &rdata, &b, &e), 0);
    ASSERT_EQ(compile_complex("kc(a,b)=a").rc, 0);

    EXPECT_EQ(compile_complex("ki(1,2)").rc, 0);
    EXPECT_EQ(compile_complex("ki(1)").rc, 32);
    EXPECT_EQ(compile_complex("kr(1)").rc, 0);
    EXPECT_EQ(compile_complex("kr(1,2)").rc, 33);
    // One complex argument per complex parameter.
    EXPECT_EQ(compile_complex("kc(1,2)").rc, 0);
    ComplexCompiled bad = compile_complex("kc(1,2,3,4)");
    EXPECT_EQ(bad.rc, 34);
    EXPECT_EQ(bad.err_begin, 0);
    EXPECT_EQ(bad.err_end, 10);
    EXPECT_EQ(compile_complex("kc(1)").rc, 34);
    // A complex formula calling itself.
    EXPECT_EQ(compile_complex("kself(z,n)=which(n==0,z,kself(z*z,n-1))").rc, 0);
    EXPECT_EQ(compile_complex("kself2(z,n)=which(n==0,z,kself2(z))").rc, 34);
}

TEST_F(ComplexCompileTest, ExternalFunctionsOfTheComplexType) {
    ASSERT_EQ(SetFunction(6, u"cext_two", reinterpret_cast<void *>(&complex_ext_fn), 1), 0);
    ASSERT_EQ(SetFunction(6, u"cext_any", reinterpret_cast<void *>(&complex_ext_fn), -5), 0);
    ASSERT_EQ(SetFunction(4, u"cext_int", reinterpret_cast<void *>(&complex_ext_fn), 0), 0);
    EXPECT_EQ(compile_complex("cext_two(1,i)").rc, 0);
    EXPECT_EQ(compile_complex("cext_two(1)").rc, 27);
    EXPECT_EQ(compile_complex("cext_any()").rc, 0);
    EXPECT_EQ(compile_complex("cext_any(1,2,3,4,5)").rc, 0);
    EXPECT_EQ(compile_complex("cext_int(1)").rc, 25);
}

TEST_F(ComplexCompileTest, NamedConstantsOfTheComplexType) {
    TmComplex k = {1.5, -2.5};
    int64_t n = 3;
    ASSERT_EQ(SetConst(9, u"ck", &k), 0);
    ASSERT_EQ(SetConst(7, u"ik", &n), 0);
    expect_folded("ck", {1.5, -2.5});
    EXPECT_EQ(compile_complex("ik").rc, 24);
}

// --- folding ----------------------------------------------------------------------------

TEST_F(ComplexCompileTest, ConstantExpressionsFoldToOneConstant) {
    expect_folded("i*i", {-1, 0});
    expect_folded("(1+2i)*(3+4i)", {-5, 10});
    expect_folded("0^0", {0, 0});
    expect_folded("(3+4i)>(2+9i)", {1, 4});
    expect_folded("floor(2.5+3i)", {2, 0});
    expect_folded("x0(2.5+3i)", {0, 3});
    expect_folded("con(1+2i)", {1, -2});
    expect_folded("xy(1+2i)", {2, 1});
    expect_folded("abs(3+4i)", {5, 0});
    TmComplex q = folded("(1+2i)/(3+4i)");
    EXPECT_NEAR(q.re, 0.44, 1e-15);
    EXPECT_NEAR(q.im, 0.08, 1e-15);
    // Negation leaves a zero part +0, as 0 - z does: -4 is (-4, +0), whose
    // root lies on the upper side of the cut, at 1.2e-16+2i (the polar form),
    // folded and at run time alike; ln(-1) is pi i.
    const TmComplex root = {2 * std::cos(std::atan2(0.0, -4.0) / 2), 2};
    expect_folded("sqrt(-4)", root);
    expect_folded("sqrt(0-4)", root);
    expect_folded("ln(-1)", {0, std::atan2(0.0, -1.0)});
    expect_folded("-0", {0, 0});
    for (const char *src : {"(x)=sqrt(-x)", "(x)=sqrt(0-x)"}) {
        ComplexCompiled c = compile_complex(src);
        ASSERT_EQ(c.rc, 0) << src;
        c.data[0] = {4, 0};
        EXPECT_TRUE(same_bits(ComplexCal(c.rec, c.data), root)) << src;
    }
}

TEST_F(ComplexCompileTest, FoldingKeepsWhatIsNotConstant) {
    ComplexCompiled c = compile_complex("(z)=z*(2+3i)-exp(0)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(),
              bytes({OpPushVar, OpPushConst, OpMul, OpPushConst, OpSub, OpReturn}));
    ASSERT_EQ(c.constants().size(), 2u);
    EXPECT_TRUE(same_bits(c.constants()[0], {2, 3}));
    EXPECT_TRUE(same_bits(c.constants()[1], {1, 0}));
}

// The same operation folded (on named constants) and evaluated (on
// parameters) must agree bit for bit.
class ComplexFoldDifferential : public ComplexCompileTest {
  protected:
    static constexpr double kInf = std::numeric_limits<double>::infinity();
    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    static constexpr TmComplex kValues[] = {
        {0, 0},     {-0.0, 0},   {0, -0.0}, {1, 0},         {0, 1},     {-1.5, 2.25},
        {3, 4},     {2, 9},      {0.1, -0.7}, {1e308, 1e308}, {1e-310, 5}, {kInf, 0},
        {0, -kInf}, {kNaN, 1},   {2, kNaN},  {-2, 0},        {7.5, -3}};
    static constexpr int kCount = int(sizeof kValues / sizeof kValues[0]);

    void SetUp() override {
        ComplexCompileTest::SetUp();
        for (int k = 0; k < kCount; ++k) {
            ASSERT_EQ(SetConst(9, u16(name(k)).c_str(), &kValues[k]), 0);
        }
    }
    static std::string name(int k) { return "k" + std::to_string(k); }

    TmComplex fold(const std::string &src) {
        ComplexCompiled c = compile_complex(src);
        EXPECT_EQ(c.rc, 0) << src;
        if (c.rc != 0) return {};
        EXPECT_EQ(c.instructions(), bytes({OpPushConst, OpReturn})) << src;
        return c.constants().at(0);
    }
    TmComplex evaluate(const std::string &src, std::vector<TmComplex> args) {
        ComplexCompiled c = compile_complex(src);
        EXPECT_EQ(c.rc, 0) << src;
        if (c.rc != 0) return {};
        return ComplexCal(c.rec, args.data());
    }
    void expect_same(const std::string &folded_src, const std::string &param_src,
                     std::vector<TmComplex> args) {
        TmComplex f = fold(folded_src);
        TmComplex e = evaluate(param_src, args);
        EXPECT_TRUE(same_bits(f, e)) << folded_src << ": folded " << show(f) << ", evaluated "
                                     << show(e);
        EXPECT_EQ(take_run_error(), 0) << folded_src;
    }
};

TEST_F(ComplexFoldDifferential, BinaryOperators) {
    for (const char *op : {"+", "-", "*", "/", "^", ">", ">=", "<", "<=", "==", "!=", "&", "|"}) {
        for (int a = 0; a < kCount; ++a) {
            for (int b = 0; b < kCount; ++b) {
                expect_same(name(a) + op + name(b), std::string("(x,y)=x") + op + "y",
                            {kValues[a], kValues[b]});
            }
        }
    }
}

TEST_F(ComplexFoldDifferential, UnaryOperatorsAndFoldedBuiltins) {
    for (int a = 0; a < kCount; ++a) {
        expect_same("-" + name(a), "(x)=-x", {kValues[a]});
        expect_same("!" + name(a), "(x)=!x", {kValues[a]});
        for (const char *f : {"sqrt", "exp", "ln", "sin", "cos", "abs", "floor", "ceil", "con",
                              "xy", "x0", "y0", "itor", "rtoi"}) {
            std::string call = std::string(f) + "(";
            expect_same(call + name(a) + ")", "(x)=" + call + "x)", {kValues[a]});
        }
    }
}

// --- end to end ---------------------------------------------------------------------------

struct ComplexCase {
    const char *src;
    std::vector<TmComplex> args;
    TmComplex want;
};

TEST_F(ComplexCompileTest, EndToEndCorpus) {
    void *h = nullptr;
    int p, b, e;
    double *rdata;
    int64_t *idata;
    ASSERT_EQ(RealCom(u"rsq(a)=a*a", 1, &h, &p, &rdata, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(IntCom(u"idbl(a)=a*2", 1, &h, &p, &idata, &b, &e), 0);
    ComplexCompiled stack = compile_complex("SetComplexStackMax(1000)");
    ASSERT_EQ(stack.rc, 0);
    ASSERT_TRUE(same_bits(ComplexCal(stack.rec, stack.data), {1000, 0}));
    ASSERT_EQ(compile_complex("cpow(z,n)=which(n==0,1,z*cpow(z,n-1))").rc, 0);
    ASSERT_EQ(compile_complex("ccount(::m)=m=m+i").rc, 0);

    const ComplexCase cases[] = {
        {"(x,y)=x*y", {{1, 2}, {3, 4}}, {-5, 10}},
        {"(x,y)=x^y", {{0, 0}, {0, 0}}, {0, 0}},
        {"(x)=x*i", {{2, 3}}, {-3, 2}},
        {"(x)=x+2i", {{1, 1}}, {1, 3}},
        {"(x)=x-I", {{1, 1}}, {1, 0}},
        {"cpow(i,4)", {}, {1, 0}},
        {"cpow(1+i,2)", {}, {0, 2}},
        {"(n:s,k)=(s=0, k=0, while(k<n, k++, s=s+i), s)", {{3, 0}}, {0, 3}},
        {"(x)=which(x==1, 10i, x==2, 20i, 30)", {{2, 5}}, {0, 20}},
        {"(x)=(if(x>0, return(i)), 2)", {{1, 0}}, {0, 1}},
        {"(x)=(if(x>0, return(i)), 2)", {{0, 7}}, {2, 0}},
        {"rsq(3)", {}, {9, 0}},
        {"itor(idbl(rtoi(3.7)))", {}, {6, 0}},
        {"getw(\"AB\")", {}, {'A', 0}},
        {"(ccount(), ccount(), ccount())", {}, {0, 3}},
        {"(z)=(z++, z)", {{1, 1}}, {2, 1}},
    };
    for (const ComplexCase &c : cases) {
        ComplexCompiled compiled = compile_complex(c.src);
        ASSERT_EQ(compiled.rc, 0) << c.src << " [" << compiled.err_begin << "]";
        walk_all_paths(compiled.rec, kComplexBuiltins);
        std::vector<TmComplex> args = c.args;
        args.push_back({});
        TmComplex got = ComplexCal(compiled.rec, args.data());
        EXPECT_TRUE(same_bits(got, c.want))
            << c.src << ": " << show(got) << " != " << show(c.want) << "\n" << compiled.listing();
        EXPECT_EQ(take_run_error(), 0) << c.src;
    }
}

// --- growth and bad input ----------------------------------------------------------------

TEST_F(ComplexCompileTest, LongSourcesGrowTheComplexConstantsBuffer) {
    std::string src = "(z)=0";
    for (int k = 1; k <= 400; ++k) src += "+z*" + std::to_string(k) + "i";
    ComplexCompiled c = compile_complex(src);
    ASSERT_EQ(c.rc, 0);
    ASSERT_EQ(c.constants().size(), 401u);
    EXPECT_TRUE(same_bits(c.constants()[400], {0, 400}));
    c.data[0] = {1, 0};
    TmComplex got = ComplexCal(c.rec, c.data);
    EXPECT_EQ(got.re, 0);
    EXPECT_EQ(got.im, 400 * 401 / 2);
    EXPECT_GT(g_work.complex_capacity, 400);
}

TEST_F(ComplexCompileTest, RandomFragmentsNeverBreakTheCompiler) {
    static const char *kPieces[] = {"z", "i", "I", " ", "2", "2i", "1e3", "1e", ".", "0x1F",
                                    "%", "^", "+", "-", "*", "/", "(", ")", ",", ":", "!",
                                    "sqrt(", "con(", "setn(", "=", "++", "&", "|", ">",
                                    "\"s\"", "which(", "until(", "continue()", "ii", "@\"a\""};
    constexpr int kPieceCount = int(sizeof kPieces / sizeof kPieces[0]);
    std::mt19937 rng(4242);
    int compiled = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string src = n % 3 == 0 ? "(z:w)=" : n % 3 == 1 ? "(i)=" : "";
        int len = 1 + int(rng() % 12);
        for (int k = 0; k < len; ++k) src += kPieces[rng() % kPieceCount];
        ComplexCompiled c = compile_complex(src);
        ASSERT_TRUE(c.rc == 0 || (c.rc >= 2 && c.rc <= 39)) << src << " -> " << c.rc;
        if (c.rc != 0) {
            EXPECT_LE(0, c.err_begin) << src;
            EXPECT_LT(c.err_end, int(src.size())) << src;
            take_run_error();
            continue;
        }
        ++compiled;
        walk_all_paths(c.rec, kComplexBuiltins);
        ASSERT_FALSE(HasFailure()) << src << "\n" << c.listing();
    }
    EXPECT_GT(compiled, 150); // the soup does reach code generation
}

}  // namespace
}  // namespace tmx::test
