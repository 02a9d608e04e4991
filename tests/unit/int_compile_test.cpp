// The integer compiler through IntCom: literals (decimal at and beyond the
// 64-bit range, hexadecimal with wrap-around), '%' against '^', the built-in
// table with its argument counts and fold range, calls into the three types,
// string literal values, shared cells of their own type, and folding that
// gives the bits the evaluator gives.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
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

class IntCompileTest : public TypedCompileTest {};

// The constant a source folds to: it must compile to one OpPushConst.
int64_t folded(const std::string &src) {
    IntCompiled c = compile_int(src);
    EXPECT_EQ(c.rc, 0) << src << " [" << c.err_begin << ", " << c.err_end << "]";
    if (c.rc != 0) return -12345;
    EXPECT_EQ(c.instructions(), bytes({OpPushConst, OpReturn})) << src << "\n" << c.listing();
    EXPECT_EQ(c.constants().size(), 1u) << src;
    return c.constants().empty() ? -12345 : c.constants()[0];
}

void expect_error(const std::string &src, int code, int first, int last) {
    IntCompiled c = compile_int(src);
    EXPECT_EQ(c.rc, code) << src;
    EXPECT_EQ(c.err_begin, first) << src;
    EXPECT_EQ(c.err_end, last) << src;
    EXPECT_EQ(c.rec, nullptr) << src;
}

// --- literals -------------------------------------------------------------------

TEST_F(IntCompileTest, HexLiteralsTakeCapitalDigitsOnly) {
    EXPECT_EQ(folded("0x1F"), 31);
    EXPECT_EQ(folded("0x0"), 0);
    EXPECT_EQ(folded("0xABCDEF"), 0xABCDEF);
    // The literal stops before the lower-case f, which is then a name.
    expect_error("0x1f", 24, 3, 3);
    expect_error("0x", 17, 0, 1);
    expect_error("0xG", 17, 0, 1);
    expect_error("1+0x", 17, 2, 3);
}

TEST_F(IntCompileTest, HexLiteralsWrapAroundAtSixtyFourBits) {
    EXPECT_EQ(folded("0x7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(folded("0x8000000000000000"), INT64_MIN);
    EXPECT_EQ(folded("0xFFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(folded("0x10000000000000000"), 0);
    EXPECT_EQ(folded("0x123456789ABCDEF0123"), int64_t(0x456789ABCDEF0123));
}

TEST_F(IntCompileTest, DecimalLiteralsAtAndBeyondTheRange) {
    EXPECT_EQ(folded("0"), 0);
    EXPECT_EQ(folded("007"), 7);
    EXPECT_EQ(folded("9223372036854775807"), INT64_MAX);
    // Past the largest value a decimal literal stays at it.
    EXPECT_EQ(folded("9223372036854775808"), INT64_MAX);
    EXPECT_EQ(folded("99999999999999999999999999999999"), INT64_MAX);
    EXPECT_EQ(folded("-9223372036854775807"), -INT64_MAX);
}

TEST_F(IntCompileTest, NoPointNoExponent) {
    expect_error("1.5", 17, 1, 1);
    expect_error(".5", 17, 0, 0);
    expect_error("1e3", 24, 1, 2); // "e3" is a name
}

TEST_F(IntCompileTest, UnaryMinusWrapsTheMostNegativeValue) {
    EXPECT_EQ(folded("-0x8000000000000000"), INT64_MIN);
    EXPECT_EQ(folded("-(-0x7FFFFFFFFFFFFFFF)"), INT64_MAX);
    EXPECT_EQ(folded("-0"), 0);
}

TEST_F(IntCompileTest, LogicalNotFoldsToOneOrZero) {
    EXPECT_EQ(folded("!0"), 1);
    EXPECT_EQ(folded("!7"), 0);
    EXPECT_EQ(folded("!0x8000000000000000"), 0);
    EXPECT_EQ(folded("!(!5)"), 1);
}

// --- operators --------------------------------------------------------------------

TEST_F(IntCompileTest, PercentIsTheRemainderAndCaretIsRefused) {
    IntCompiled c = compile_int("(x)=x%3");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, OpPushConst, OpPow, OpReturn}));
    // '%' binds like '*' and '/'.
    c = compile_int("(x,y)=x+y%3");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(),
              bytes({OpPushVar, OpPushVar, OpPushConst, OpPow, OpAdd, OpReturn}));
    expect_error("2^3", 7, 1, 1);
    expect_error("(x)=x^x", 7, 5, 5);
}

TEST_F(IntCompileTest, TheLoneIIsAnOrdinaryName) {
    expect_error("i", 24, 0, 0);
    IntCompiled c = compile_int("(i)=i*2");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, OpPushConst, OpMul, OpReturn}));
    expect_error("2i", 24, 1, 1);
}

// --- built-ins ---------------------------------------------------------------------

TEST_F(IntCompileTest, BuiltinArgumentCounts) {
    for (const char *one : {"abs", "not", "itor", "rtoi", "itop", "ptoi", "getc", "getw", "getn"}) {
        std::string name = one;
        EXPECT_EQ(compile_int("(x)=" + name + "(x)").rc, 0) << name;
        IntCompiled bad = compile_int("(x)=" + name + "(x,x)");
        EXPECT_EQ(bad.rc, 26) << name;
        EXPECT_EQ(bad.err_begin, 4) << name;
        EXPECT_EQ(bad.err_end, int(4 + name.size() + 4)) << name;
    }
    for (const char *two : {"or", "and", "xor", "shl", "shr", "padd", "setc", "setw", "setn"}) {
        std::string name = two;
        EXPECT_EQ(compile_int("(x)=" + name + "(x,x)").rc, 0) << name;
        EXPECT_EQ(compile_int("(x)=" + name + "(x)").rc, 26) << name;
        EXPECT_EQ(compile_int("(x)=" + name + "(x,x,x)").rc, 26) << name;
    }
    EXPECT_EQ(compile_int("abs()").rc, 26);
    // Real built-ins are not integer ones.
    for (const char *real : {"sqrt", "sin", "floor", "atan2", "fmod", "con"}) {
        EXPECT_EQ(compile_int(std::string(real) + "(1)").rc, 25) << real;
    }
}

TEST_F(IntCompileTest, BuiltinOpcodesFollowTheIntegerTable) {
    IntCompiled c = compile_int("(x)=shr(not(x),x)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, 47, OpPushVar, 59, OpReturn}));
    c = compile_int("(x)=return(x)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(), bytes({OpPushVar, OpReturn, OpReturn}));
}

TEST_F(IntCompileTest, IndexBuiltinsAndTwoArgumentOnesAreNotFolded) {
    for (const char *src : {"getc(1)", "getw(1)", "getn(1)", "or(1,2)", "shl(1,2)", "setc(2,65)"}) {
        IntCompiled c = compile_int(src);
        ASSERT_EQ(c.rc, 0) << src;
        EXPECT_GT(c.instructions().size(), 2u) << src << "\n" << c.listing();
    }
}

// --- string literals -----------------------------------------------------------------

TEST_F(IntCompileTest, StringLiteralsAreTheirCharacterIndex) {
    IntCompiled c = compile_int("fs()=(\"ab\",\"cde\")");
    ASSERT_EQ(c.rc, 0);
    const int32_t first = c.header()[kFirstString];
    EXPECT_EQ(first, 4); // word 0 flags, "fs", its NUL
    std::vector<int64_t> k = c.constants();
    ASSERT_EQ(k.size(), 2u);
    EXPECT_EQ(k[0], first);
    EXPECT_EQ(k[1], first + 3);
    const auto *words = reinterpret_cast<const char16_t *>(c.rec->code);
    EXPECT_EQ(std::u16string(words + k[1]), u"cde");
}

// --- calls -----------------------------------------------------------------------------

TEST_F(IntCompileTest, CallArgumentCountsOfTheThreeTypes) {
    void *h = nullptr;
    int p;
    int64_t *idata;
    double *rdata;
    TmComplex *cdata;
    int b, e;
    ASSERT_EQ(IntCom(u"ci(a,b)=a+b", 1, &h, &p, &idata, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(RealCom(u"cr(a)=a", 1, &h, &p, &rdata, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(ComplexCom(u"cc(a,b)=a", 1, &h, &p, &cdata, &b, &e), 0);

    EXPECT_EQ(compile_int("ci(1,2)").rc, 0);
    IntCompiled bad = compile_int("1+ci(1)");
    EXPECT_EQ(bad.rc, 32);
    EXPECT_EQ(bad.err_begin, 2);
    EXPECT_EQ(bad.err_end, 6);
    EXPECT_EQ(compile_int("cr(1)").rc, 0);
    EXPECT_EQ(compile_int("cr()").rc, 33);
    EXPECT_EQ(compile_int("cr(1,2)").rc, 33);
    // A complex parameter takes two integer slots.
    EXPECT_EQ(compile_int("cc(1,2,3,4)").rc, 0);
    EXPECT_EQ(compile_int("cc(1,2)").rc, 34);
    EXPECT_EQ(compile_int("cc(1,2,3,4,5)").rc, 34);

    IntCompiled ok = compile_int("cc(1,2,3,4)");
    ASSERT_EQ(ok.rc, 0);
    EXPECT_EQ(ok.instructions(),
              bytes({OpPushConst, OpPushConst, OpPushConst, OpPushConst, OpCallComplex, 0,
                     OpReturn}));
    EXPECT_EQ(ok.operands()[1], 3); // argument count minus one
}

TEST_F(IntCompileTest, SelfCallsCountTheFormulasOwnParameters) {
    EXPECT_EQ(compile_int("fact(n)=which(n<2,1,n*fact(n-1))").rc, 0);
    EXPECT_EQ(compile_int("fact2(n)=which(n<2,1,n*fact2(n,1))").rc, 32);
}

int64_t int_ext(int, int64_t *args, TmCallContext *) { return args[0]; }

TEST_F(IntCompileTest, ExternalFunctionsOfTheIntegerType) {
    ASSERT_EQ(SetFunction(4, u"ext_one", reinterpret_cast<void *>(&int_ext), 0), 0);
    ASSERT_EQ(SetFunction(4, u"ext_any", reinterpret_cast<void *>(&int_ext), -2), 0);
    ASSERT_EQ(SetFunction(5, u"ext_real", reinterpret_cast<void *>(&int_ext), 0), 0);
    EXPECT_EQ(compile_int("ext_one(1)").rc, 0);
    IntCompiled bad = compile_int("ext_one(1,2)");
    EXPECT_EQ(bad.rc, 27);
    EXPECT_EQ(bad.err_begin, 0);
    EXPECT_EQ(bad.err_end, 11);
    EXPECT_EQ(compile_int("ext_any()").rc, 0);
    EXPECT_EQ(compile_int("ext_any(1,2,3)").rc, 0);
    // A function registered for reals is not seen by the integer compiler.
    EXPECT_EQ(compile_int("ext_real(1)").rc, 25);
}

TEST_F(IntCompileTest, NamedConstantsOfTheIntegerType) {
    int64_t big = INT64_MIN + 5;
    double real = 2.5;
    ASSERT_EQ(SetConst(7, u"int_k", &big), 0);
    ASSERT_EQ(SetConst(8, u"real_k", &real), 0);
    EXPECT_EQ(folded("int_k"), INT64_MIN + 5);
    EXPECT_EQ(compile_int("real_k").rc, 24);
}

// --- shared cells ---------------------------------------------------------------------

TEST_F(IntCompileTest, SharedCellsOfTheThreeTypesAreDistinct) {
    IntCompiled a = compile_int("si(::m,common,g)=m+g");
    IntCompiled a2 = compile_int("si2(::m,common,g)=m+g");
    ASSERT_EQ(a.rc, 0);
    ASSERT_EQ(a2.rc, 0);
    ComplexCompiled c = compile_complex("sc(::m,common,g)=m+g");
    ASSERT_EQ(c.rc, 0);
    void *h = nullptr;
    int p, b, e;
    double *rdata;
    ASSERT_EQ(RealCom(u"sr(::m,common,g)=m+g", 1, &h, &p, &rdata, &b, &e), 0);
    const int32_t *rh = static_cast<FormulaRecord *>(h)->header;
    std::vector<int32_t> real_ops(rh + kOperandStart, rh + rh[kCalleeFirst]);

    // Operands: the module cell, then the common cell.
    ASSERT_EQ(a.operands().size(), 2u);
    EXPECT_EQ(a.operands(), a2.operands()); // same type, same cells
    EXPECT_NE(a.operands()[0], a.operands()[1]);
    for (int k = 0; k < 2; ++k) {
        EXPECT_NE(a.operands()[k], c.operands()[k]);
        EXPECT_NE(a.operands()[k], real_ops[size_t(k)]);
        EXPECT_NE(c.operands()[k], real_ops[size_t(k)]);
    }
    // Another module has its own module cell but shares the common one.
    IntCompiled other = compile_int("si3(::m,common,g)=m+g", 2);
    ASSERT_EQ(other.rc, 0);
    EXPECT_NE(other.operands()[0], a.operands()[0]);
    EXPECT_EQ(other.operands()[1], a.operands()[1]);
}

// --- folding ----------------------------------------------------------------------------

TEST_F(IntCompileTest, ConstantExpressionsFoldToOneConstant) {
    EXPECT_EQ(folded("7%3"), 1);
    EXPECT_EQ(folded("-7%3"), -1);
    EXPECT_EQ(folded("2+3*4"), 14);
    EXPECT_EQ(folded("-7/2"), -3);
    EXPECT_EQ(folded("0x7FFFFFFFFFFFFFFF+1"), INT64_MIN);
    EXPECT_EQ(folded("abs(-5)"), 5);
    EXPECT_EQ(folded("abs(0x8000000000000000)"), INT64_MIN);
    EXPECT_EQ(folded("not(0)"), -1);
    EXPECT_EQ(folded("ptoi(0xFFFFFFFF)"), -1);
    EXPECT_EQ(folded("itop(-1)"), -1);
    EXPECT_EQ(folded("rtoi(itor(-42))"), -42);
    EXPECT_EQ(folded("3>2 & 2>=2 | 0"), 1);
    EXPECT_EQ(folded("(5==5)+(5!=5)+(1<0)+(1<=1)"), 2);
    int64_t three_bits;
    double three = 3.0;
    std::memcpy(&three_bits, &three, sizeof three_bits);
    EXPECT_EQ(folded("itor(3)"), three_bits);
}

TEST_F(IntCompileTest, FoldingKeepsWhatIsNotConstant) {
    IntCompiled c = compile_int("(x)=x*(2+3)-abs(-4)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.instructions(),
              bytes({OpPushVar, OpPushConst, OpMul, OpPushConst, OpSub, OpReturn}));
    EXPECT_EQ(c.constants(), (std::vector<int64_t>{5, 4}));
}

TEST_F(IntCompileTest, AFoldedDivisionByZeroStopsTheCompile) {
    for (const char *src : {"7/0", "7%0", "1+(2/(1-1))"}) {
        IntCompiled c = compile_int(src);
        EXPECT_EQ(c.rc, 36) << src;
        EXPECT_EQ(c.rec, nullptr);
        const char16_t *name = nullptr;
        int type = 0, code = -1, for_type = -1;
        void *handle = &type;
        GetRunErr(&type, &name, &code, &for_type, &handle);
        EXPECT_EQ(type, 1) << src;
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(std::u16string(name), u"Integer division by zero");
        // The scratch record of the fold is gone: the error names no formula.
        EXPECT_EQ(handle, nullptr);
        EXPECT_EQ(for_type, 0);
    }
    // At run time the same division records the error and keeps the dividend.
    IntCompiled c = compile_int("(x)=x/0");
    ASSERT_EQ(c.rc, 0);
    c.data[0] = 7;
    EXPECT_EQ(IntCal(c.rec, c.data), 7);
    EXPECT_EQ(take_run_error(), 1);
}

// The same operation folded (on named constants) and evaluated (on
// parameters) must agree bit for bit, run errors included.
class IntFoldDifferential : public IntCompileTest {
  protected:
    static constexpr int64_t kValues[] = {0,  1,  -1,        2,         3,         7,
                                          -7, 63, 64,        65,        255,       -256,
                                          INT64_MAX,         INT64_MIN, INT64_MIN + 1,
                                          0x123456789ABCDEF, int64_t(0xFFFFFFFF)};
    static constexpr int kCount = int(sizeof kValues / sizeof kValues[0]);

    void SetUp() override {
        IntCompileTest::SetUp();
        for (int k = 0; k < kCount; ++k) {
            ASSERT_EQ(SetConst(7, name(k).c_str(), &kValues[k]), 0);
        }
    }
    static std::u16string name(int k) { return u16("k" + std::to_string(k)); }
    static std::string ascii(int k) { return "k" + std::to_string(k); }

    struct Outcome {
        bool error;
        int64_t value;
    };
    Outcome fold(const std::string &src) {
        IntCompiled c = compile_int(src);
        if (c.rc == 36) return {take_run_error() != 0, 0};
        EXPECT_EQ(c.rc, 0) << src;
        EXPECT_EQ(c.instructions(), bytes({OpPushConst, OpReturn})) << src;
        return {false, c.rc == 0 ? c.constants().at(0) : 0};
    }
    Outcome evaluate(const std::string &src, std::vector<int64_t> args) {
        IntCompiled c = compile_int(src);
        EXPECT_EQ(c.rc, 0) << src;
        if (c.rc != 0) return {true, 0};
        int64_t value = IntCal(c.rec, args.data());
        return {take_run_error() != 0, value};
    }
    void expect_same(const std::string &folded_src, const std::string &param_src,
                     std::vector<int64_t> args) {
        Outcome f = fold(folded_src);
        Outcome e = evaluate(param_src, args);
        EXPECT_EQ(f.error, e.error) << folded_src;
        if (!f.error && !e.error) {
            EXPECT_EQ(f.value, e.value) << folded_src;
        }
    }
};

TEST_F(IntFoldDifferential, BinaryOperators) {
    for (const char *op : {"+", "-", "*", "/", "%", ">", ">=", "<", "<=", "==", "!=", "&", "|"}) {
        for (int a = 0; a < kCount; ++a) {
            for (int b = 0; b < kCount; ++b) {
                expect_same(ascii(a) + op + ascii(b), std::string("(x,y)=x") + op + "y",
                            {kValues[a], kValues[b]});
            }
        }
    }
}

TEST_F(IntFoldDifferential, UnaryOperatorsAndFoldedBuiltins) {
    for (int a = 0; a < kCount; ++a) {
        expect_same("-" + ascii(a), "(x)=-x", {kValues[a]});
        expect_same("!" + ascii(a), "(x)=!x", {kValues[a]});
        for (const char *f : {"abs", "not", "itor", "rtoi", "itop", "ptoi"}) {
            std::string call = std::string(f) + "(";
            expect_same(call + ascii(a) + ")", "(x)=" + call + "x)", {kValues[a]});
        }
    }
}

// --- end to end ---------------------------------------------------------------------------

struct IntCase {
    const char *src;
    std::vector<int64_t> args;
    int64_t want;
};

TEST_F(IntCompileTest, EndToEndCorpus) {
    void *h = nullptr;
    int p, b, e;
    double *rdata;
    TmComplex *cdata;
    ASSERT_EQ(RealCom(u"rhalf(a)=a/2", 1, &h, &p, &rdata, &b, &e), 0);
    h = nullptr;
    ASSERT_EQ(ComplexCom(u"csq(z)=z*z", 1, &h, &p, &cdata, &b, &e), 0);
    ASSERT_EQ(compile_int("fact(n)=which(n<2,1,n*fact(n-1))").rc, 0);
    IntCompiled stack = compile_int("SetIntStackMax(1000)");
    ASSERT_EQ(stack.rc, 0);
    ASSERT_EQ(IntCal(stack.rec, stack.data), 1000);
    ASSERT_EQ(compile_int("counter(::m)=m=m+1").rc, 0);

    const IntCase cases[] = {
        {"(x,y)=x%y", {-7, 3}, -1},
        {"(x,y)=x%y", {7, -3}, 1},
        {"(x,y)=x/y", {-7, 2}, -3},
        {"(x)=shl(1,x)", {64}, 0},
        {"(x)=shl(1,x)", {63}, INT64_MIN},
        {"(x)=shr(x,1)", {-8}, -4},
        {"(x)=shr(x,200)", {-8}, -1},
        {"(x)=and(x,0x0F)+or(0,x)*0+xor(5,3)", {0xFF}, 15 + 6},
        {"(x)=padd(x,5)", {0x1FFFFFFFF}, 0x100000004},
        {"fact(20)", {}, 2432902008176640000},
        {"(n:s)=(s=0, while(n>0, s=s+n, n--), s)", {100}, 5050},
        {"(n:s)=(s=0, until(s=s+n, --n<=0), s)", {4}, 10},
        {"(x)=(if(x>0, return(1)), 2)", {5}, 1},
        {"(x)=(if(x>0, return(1)), 2)", {-5}, 2},
        {"(x)=which(x==1, 10, x==2, 20, 30)", {2}, 20},
        {"(x)=which(x==1, 10, x==2, 20, 30)", {9}, 30},
        {"(x)=(x++, x++, ++x)", {0}, 3},
        {"getw(\"AB\")", {}, 'A'},
        {"(x)=getw(\"AB\"+1)+x", {0}, 'B'},
        {"rtoi(rhalf(itor(7)))", {}, 3},
        {"rtoi(csq(itor(3),itor(0)))", {}, 9},
        {"(counter(), counter(), counter())", {}, 3},
        {"0x8000000000000000-1", {}, INT64_MAX},
    };
    for (const IntCase &c : cases) {
        IntCompiled compiled = compile_int(c.src);
        ASSERT_EQ(compiled.rc, 0) << c.src << " [" << compiled.err_begin << "]";
        walk_all_paths(compiled.rec, kIntBuiltins);
        std::vector<int64_t> args = c.args;
        args.push_back(0);
        EXPECT_EQ(IntCal(compiled.rec, args.data()), c.want) << c.src << "\n" << compiled.listing();
        EXPECT_EQ(take_run_error(), 0) << c.src;
    }
}

TEST_F(IntCompileTest, EndToEndParameterStoresLandInTheArguments) {
    IntCompiled c = compile_int("(a,b)=(a=a*2, b=a+1)");
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.rec->code[1] & kFlagModifiesParams, kFlagModifiesParams);
    int64_t args[2] = {5, 0};
    EXPECT_EQ(IntCal(c.rec, args), 11);
    EXPECT_EQ(args[0], 10);
    EXPECT_EQ(args[1], 11);
}

// --- growth and bad input ----------------------------------------------------------------

TEST_F(IntCompileTest, LongSourcesGrowTheIntegerConstantsBuffer) {
    // Every x*k keeps its own constant: the integer data buffer outgrows its
    // first capacity several times, each time restarting the compile.
    std::string src = "(x)=0";
    int64_t want = 0;
    for (int k = 1; k <= 600; ++k) {
        src += "+x*" + std::to_string(k);
        want += 3 * k;
    }
    IntCompiled c = compile_int(src);
    ASSERT_EQ(c.rc, 0);
    EXPECT_EQ(c.constants().size(), 601u);
    c.data[0] = 3;
    EXPECT_EQ(IntCal(c.rec, c.data), want);
    EXPECT_GT(g_work.int_capacity, 600);
}

// Random token soup: every source gets 0 or a compile error, never anything
// else, and whatever compiles has sound code on every path.
TEST_F(IntCompileTest, RandomFragmentsNeverBreakTheCompiler) {
    static const char *kPieces[] = {"x", "i", "I", "0x1F", "0x", "0xf", "7", "9223372036854775808",
                                    "%", "^", "+", "-", "*", "/", "(", ")", ",", ":", "!",
                                    "abs(", "shl(", "getc(", "=", "++", "--", "&", "|", "<",
                                    "2i", "\"s\"", "if(", "while(", "break()", ".", "1.5", "e"};
    constexpr int kPieceCount = int(sizeof kPieces / sizeof kPieces[0]);
    std::mt19937 rng(77);
    int compiled = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string src = n % 2 ? "(x:i)=" : "";
        int len = 1 + int(rng() % 12);
        for (int k = 0; k < len; ++k) src += kPieces[rng() % kPieceCount];
        IntCompiled c = compile_int(src);
        ASSERT_TRUE(c.rc == 0 || (c.rc >= 2 && c.rc <= 39)) << src << " -> " << c.rc;
        if (c.rc != 0) {
            EXPECT_LE(0, c.err_begin) << src;
            EXPECT_LE(c.err_begin, c.err_end + 1) << src;
            EXPECT_LT(c.err_end, int(src.size())) << src;
            take_run_error();
            continue;
        }
        ++compiled;
        walk_all_paths(c.rec, kIntBuiltins);
        ASSERT_FALSE(HasFailure()) << src << "\n" << c.listing();
    }
    EXPECT_GT(compiled, 150); // the soup does reach code generation
}

}  // namespace
}  // namespace tmx::test
