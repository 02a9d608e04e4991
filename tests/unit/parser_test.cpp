// The front passes after lexing: header, brackets, member rewrite,
// classification, unary operators and assignment, shape check; their error
// codes and ranges; and bad input of every size.
#include <cmath>
#include <random>
#include <string>

#include "front_passes.h"
#include "kernel/record.h"
#include "tamrix/tamrix.h"

namespace tmx::testing {
namespace {

struct ErrorCase {
    std::u16string src;
    int code;
    int32_t first, last;
};

std::string narrow(const std::u16string &s) {
    std::string out;
    for (char16_t c : s) out += c < 128 ? char(c) : '?';
    return out;
}

void expect_errors(const std::vector<ErrorCase> &cases, const TypeDesc *type = &kFrontReal) {
    for (const ErrorCase &c : cases) {
        FrontRun r = run_front(c.src, kAllFront, type);
        EXPECT_EQ(r.code, c.code) << narrow(c.src);
        EXPECT_EQ(r.first, c.first) << narrow(c.src);
        EXPECT_EQ(r.last, c.last) << narrow(c.src);
    }
}

// --- header --------------------------------------------------------------------

TEST(Header, SectionsAndIndices) {
    FrontRun r = run_front(u"f(x,y:a,b:c)=x+y", kUpToHeader);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.name_token, 0);
    EXPECT_EQ(r.cx.last_param, 1);
    EXPECT_EQ(r.cx.var_count, 5);
    EXPECT_EQ(r.cx.first_static, 5);
    EXPECT_EQ(r.cx.free_var, 0);
    ASSERT_EQ(r.vars.size(), 5u);
    EXPECT_FALSE(r.vars[3].shared);
    EXPECT_TRUE(r.vars[4].shared);
    EXPECT_FALSE(r.vars[4].common);

    r = run_front(u"f(x::c)=c", kUpToHeader);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.last_param, 0);
    EXPECT_EQ(r.cx.var_count, 2);
    EXPECT_TRUE(r.vars[1].shared);

    r = run_front(u"g(x: a, static, s, free: m, common, h) = 1", kUpToHeader);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.last_param, 0);
    EXPECT_EQ(r.cx.var_count, 8);
    EXPECT_EQ(r.cx.first_static, 2);
    EXPECT_EQ(r.cx.free_var, 4);
    EXPECT_FALSE(r.vars[5].shared && r.vars[5].common);
    EXPECT_TRUE(r.vars[5].shared);
    EXPECT_FALSE(r.vars[6].common); // the keyword itself
    EXPECT_TRUE(r.vars[7].common);

    r = run_front(u"(:free, static)=1", kUpToHeader); // free before static: a plain variable
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.name_token, -1);
    EXPECT_EQ(r.cx.last_param, -1);
    EXPECT_EQ(r.cx.free_var, 0);
    EXPECT_EQ(r.cx.first_static, 1);

    r = run_front(u"f(x: static, s)=s", kUpToHeader);
    EXPECT_EQ(r.code, 0);
    r = run_front(u"2+3", kUpToHeader);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.name_token, -1);
    EXPECT_EQ(r.cx.var_count, 0);
    EXPECT_EQ(r.cx.last_param, -1);
}

TEST(Header, Errors) {
    expect_errors({
        {u"1(x)=2", 8, 0, 0},
        {u"a b(x)=1", 8, 0, 2},
        {u"x)=1", 8, 0, 1},
        {u"\"s\"(x)=1", 8, 0, 2},
        {u"f(1)=1", 9, 2, 2},
        {u"f(x+y)=1", 9, 3, 3},
        {u"f(g(x))=1", 9, 3, 3},
        {u"f(x:::c)=1", 10, 0, 5},
        {u"f(a:b::c)=1", 10, 0, 6},
        {u"f(a::b::c)=1", 10, 0, 6},
        {u"f(x,)=1", 11, 3, 4},
        {u"f(,x)=1", 11, 1, 2},
        {u"f(x,,y)=1", 11, 3, 4},
        {u"f(x,:y)=1", 11, 3, 4},
        {u"f(x:,y)=1", 11, 3, 4},
        {u"f(x y)=1", 11, 2, 4},
        {u"f(x, static)=1", 28, 5, 10},
        {u"f(x:common)=1", 28, 4, 9},
        {u"f(::static)=1", 28, 4, 9},
        {u"f(x,x)=1", 35, 4, 5},
        {u"f(a:b:c,a)=1", 35, 8, 9},
        {u"f(x:static,static)=1", 35, 11, 17},
        {u"f(x:static,free,free)=1", 35, 16, 20},
        {u"", 3, 0, 0},
        {u"  \n", 3, 0, 2},
        {u"f(x)=", 3, 4, 4},
        {u"f(x) = ", 3, 5, 5},
    });
}

TEST(Header, ImaginaryUnitIsNoVariableName) {
    expect_errors({{u"f(x, i)=1", 4, 5, 5}, {u"f(:I)=1", 4, 3, 3}}, &kComplexType);
    EXPECT_EQ(run_front(u"f(x, i)=1", kUpToHeader).code, 0);
}

TEST(Header, StringAreaFollowsTheName) {
    FrontRun r = run_front(u"f(x)=\"ab\"+\"c\"", kUpToHeader);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.string_area, std::u16string(u"f\0ab\0c\0", 7));
    EXPECT_EQ(r.cx.first_string, 3);
    EXPECT_EQ(r.cx.code_start, 16);
    ASSERT_EQ(r.tokens[5].kind, kTokConstant);
    EXPECT_EQ(r.real(r.tokens[5]), 3.0);
    EXPECT_EQ(r.real(r.tokens[7]), 6.0);

    r = run_front(u"x", kUpToHeader); // anonymous, no strings
    EXPECT_EQ(r.cx.first_string, 2);
    EXPECT_EQ(r.cx.code_start, 4);

    // An aligned string starts on a multiple of 4 characters.
    r = run_front(u"abc()=\"\\&\\[1]x\"+@\"\\\"", kUpToHeader);
    ASSERT_EQ(r.code, 0);
    std::u16string want(u"abc\0\0\0\0    x\0\\\0", 15);
    EXPECT_EQ(r.string_area, want);
    EXPECT_EQ(r.real(r.tokens[4]), 8.0);
    EXPECT_EQ(r.real(r.tokens[6]), 14.0);
    EXPECT_EQ(r.cx.code_start, 32);

    r = run_front(u"f()=\"q\"", kUpToHeader, &kIntType);
    EXPECT_EQ(r.integer(r.tokens[4]), 3);
}

TEST(Header, GrowsTheCodeArrayForLongStrings) {
    ASSERT_TRUE(work_buffers_allocate()); // back to the initial capacities
    std::u16string src = u"f()=\"" + std::u16string(5000, u'z') + u"\"";
    FrontRun r = run_front(src, kUpToHeader);
    ASSERT_EQ(r.code, 0);
    EXPECT_GT(r.restarts, 0);
    EXPECT_EQ(r.cx.code_start, 2 * (3 + 5001));
    EXPECT_EQ(r.string_area.substr(2, 5000), std::u16string(5000, u'z'));
}

// --- brackets ------------------------------------------------------------------

TEST(Brackets, PairingAndWrapping) {
    FrontRun r = run_front(u"[1+2]*{3:4}", kUpToBrackets);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.body_text(), "( 1 + 2 ) * ( 3 , 4 )");
    EXPECT_EQ(r.tokens[size_t(r.cx.body_first)].kind, kTokOpen);
    EXPECT_EQ(r.tokens[size_t(r.cx.body_last)].kind, kTokClose);
    EXPECT_EQ(r.cx.body_last, r.cx.ntokens - 1);

    r = run_front(u"f(x)= x+1", kUpToBrackets);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.tokens[size_t(r.cx.body_first)].first, 4); // the wrapper stands at "="
    EXPECT_EQ(r.tokens[size_t(r.cx.body_last)].first, 8);

    expect_errors({
        {u"(1]", 2, 0, 2},
        {u"(1", 2, 0, 1},
        {u"1)", 2, 1, 1},
        {u"f()=((1)+[2}", 2, 9, 11},
        {u"{(1)", 2, 0, 3},
    });
}

// --- member operator -----------------------------------------------------------

TEST(Members, CallsTakeTheChainAsLeadingArguments) {
    struct Case {
        std::u16string src;
        std::string body;
    };
    const Case cases[] = {
        {u"x.f(a,b)", "f ( x , a , b )"},
        {u"x.f()", "f ( x )"},
        {u"x.f().g(1)", "g ( f ( x ) , 1 )"},
        {u"x.y.f(1)", "f ( x , y , 1 )"},
        {u"h.\"n\".(i).f()", "f ( h , \"n\" , ( i ) )"},
        {u"g(x).f()", "f ( g ( x ) )"},
        {u"(a+b).f(c)", "f ( ( a + b ) , c )"},
        {u"x.f(a.g()).h()", "h ( f ( x , g ( a ) ) )"},
        {u"1+x.f()*2", "1 + f ( x ) * 2"},
        {u"[a].f(b:c)", "f ( ( a ) , b , c )"},
        {u"\"s\".len()", "len ( \"s\" )"},
        {u"(x.f()).g()", "g ( ( f ( x ) ) )"},
    };
    for (const Case &c : cases) {
        FrontRun r = run_front(c.src, kUpToMembers);
        ASSERT_EQ(r.code, 0) << narrow(c.src);
        EXPECT_EQ(r.body_text(), c.body) << narrow(c.src);
    }
}

TEST(Members, Errors) {
    expect_errors({
        {u"x.", 31, 0, 1},
        {u"f(x.)", 31, 2, 4},
        {u"x.5", 31, 0, 2},
        {u"x.+1", 31, 0, 2},
        {u"x.y", 31, 0, 2},
        {u"x.y+1", 31, 0, 2},
        {u"x.(1)", 31, 0, 4},
        {u"a+g(x).y", 31, 2, 7},
        {u"x.f().y", 31, 0, 6},
    });
}

TEST(Members, LongChainIsLinear) {
    std::u16string src = u"x";
    for (int k = 0; k < 100000; ++k) src += u".f()";
    FrontRun r = run_front(src, kUpToMembers);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.body_size(), 100000 * 3 + 1);
    EXPECT_EQ(r.text(r.body(0)), "f");
    EXPECT_EQ(r.text(r.body(100000 * 2)), "x");
}

// --- classification ------------------------------------------------------------

TEST(Classify, VariablesBuiltinsAndControl) {
    FrontRun r = run_front(u"f(x:a,static,s)=if(x,sqrt(a),atan2(s,1),return(x),while(1,break()))",
                           kUpToClassify);
    ASSERT_EQ(r.code, 0);
    auto kind_of = [&](int32_t k) { return int(r.body(k).kind); };
    EXPECT_EQ(kind_of(0), kTokIf);
    EXPECT_EQ(kind_of(2), kTokLocal);
    EXPECT_EQ(r.body(2).value, 0u);
    EXPECT_EQ(kind_of(4), kTokBuiltin);
    EXPECT_EQ(r.body(4).value, uint32_t(kRealSqrt));
    EXPECT_EQ(r.body(6).value, 1u);
    EXPECT_EQ(r.body(9).value, uint32_t(kRealAtan2));
    EXPECT_EQ(r.body(11).value, 3u);
    EXPECT_EQ(r.body(16).value, uint32_t(kRealReturn));
    EXPECT_EQ(kind_of(21), kTokWhile);
    EXPECT_EQ(kind_of(25), kTokBreak);
    EXPECT_EQ(r.cx.flags, 0);
    EXPECT_TRUE(r.callees.empty());
}

TEST(Classify, SelfCallUsesTheOwnIndexAndType) {
    FrontRun r = run_front(u"fact(n)=which(n<1,1,n*fact(n-1))", kUpToClassify);
    ASSERT_EQ(r.code, 0);
    const Token &call = r.body(10);
    EXPECT_EQ(r.text(call), "fact");
    EXPECT_EQ(call.kind, kTokCallReal);
    EXPECT_EQ(call.value, 4242u);
    EXPECT_TRUE(r.callees.empty());
    r = run_front(u"g(n)=g(n)", kUpToClassify, &kIntType);
    EXPECT_EQ(r.body(0).kind, kTokCallInt);
}

TEST(Classify, AddressOfAndParameterFlag) {
    FrontRun r = run_front(u"f(x:a:m)=sqrt((&a),(&m),(&x))", kUpToClassify);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.body_text(), "sqrt ( ( a ) , ( m ) , ( x ) )");
    EXPECT_EQ(r.body(3).kind, kTokLocalRef);
    EXPECT_EQ(r.body(7).kind, kTokSharedRef);
    EXPECT_NE(r.body(7).value, 0u);
    EXPECT_EQ(r.body(11).kind, kTokLocalRef);
    EXPECT_EQ(r.cx.flags, kFlagModifiesParams);

    r = run_front(u"f(x:a)=(&a)+(x&a)", kUpToClassify);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.flags, 0);
    EXPECT_EQ(r.body(6).kind, kTokAnd); // after an operand it is "and"
}

TEST(Classify, Errors) {
    expect_errors({
        {u"f(x)=y", 24, 5, 5},
        {u"f(x)=x+nope1", 24, 7, 11},
        {u"f(x)=M::v", 24, 5, 8},
        {u"f(x)=static", 24, 5, 10}, // keywords are not variables
        {u"f(x)=nofun(x)", 25, 5, 9},
        {u"f(x)=i", 24, 5, 5},
        {u"f(x)=sqrt(&x+1)", 18, 10, 11},
        {u"f(x)=sqrt(&2)", 18, 10, 11},
        {u"f(x)=sqrt(&(x))", 18, 10, 11},
        {u"f(x)=sqrt(&sin(x))", 18, 10, 13},
        {u"f(x)=sqrt(&y)", 24, 11, 11},
    });
}

TEST(Classify, ImaginaryUnitInComplex) {
    FrontRun r = run_front(u"f(x)=x*i+I", kUpToClassify, &kComplexType);
    ASSERT_EQ(r.code, 0);
    double v[2];
    std::memcpy(v, r.body(2).constant, sizeof v);
    EXPECT_EQ(r.body(2).kind, kTokConstant);
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[1], 1.0);
    EXPECT_EQ(r.body(4).kind, kTokConstant);
}

double TM_CALL plus_one(int, double *args, TmCallContext *) { return args[0] + 1; }

// Names found through the registry: constants, external functions (noted
// once in the callee list), shared cells that outlive the compile.
TEST(Classify, RegistryNames) {
    double e = 2.5;
    ASSERT_EQ(SetConst(8, u"front_test_c", &e), 0);
    ASSERT_EQ(SetFunction(5, u"front_test_f", reinterpret_cast<void *>(&plus_one), 0), 0);
    ASSERT_EQ(SetFunction(5, u"front_test_g", reinterpret_cast<void *>(&plus_one), 0), 0);
    FrontRun r = run_front(
        u"f(x::m)=front_test_f(front_test_c)+front_test_g(m)+front_test_f(1)+front_test_g(2)",
        kUpToClassify, &kFrontReal, 77);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.body(0).kind, kTokCallExternal);
    EXPECT_EQ(r.body(2).kind, kTokConstant);
    EXPECT_EQ(r.real(r.body(2)), 2.5);
    EXPECT_EQ(r.body(7).kind, kTokShared);
    ASSERT_EQ(r.callees.size(), 2u);
    EXPECT_EQ(uint32_t(r.callees[0]), r.body(0).value);
    EXPECT_EQ(uint32_t(r.callees[1]), r.body(5).value);
    EXPECT_NE(r.callees[0], r.callees[1]);

    // The same module variable in a second formula of the module: same cell.
    FrontRun again = run_front(u"g(::m)=m", kUpToClassify, &kFrontReal, -77);
    ASSERT_EQ(again.code, 0);
    EXPECT_EQ(again.body(0).value, r.body(7).value);
    FrontRun other = run_front(u"g(::m)=m", kUpToClassify, &kFrontReal, 78);
    EXPECT_NE(other.body(0).value, r.body(7).value);
    FrontRun common = run_front(u"g(::common,m)=m", kUpToClassify, &kFrontReal, 77);
    EXPECT_NE(common.body(0).value, r.body(7).value);

    DeleteConstOrFunction(8, u"front_test_c");
    DeleteConstOrFunction(5, u"front_test_f");
    DeleteConstOrFunction(5, u"front_test_g");
}

// The callee list grows downwards from the end of the header buffer and
// asks for a bigger buffer when it gets close to the operand stream.
TEST(Classify, ManyCalleesGrowTheHeaderBuffer) {
    std::u16string src = u"f()=0";
    std::vector<std::u16string> names;
    for (int k = 0; k < 40; ++k) {
        std::u16string name = u"front_many_" + std::u16string(1, char16_t(u'A' + k % 26)) +
                              std::u16string(1, char16_t(u'a' + k / 26));
        ASSERT_EQ(SetFunction(5, name.c_str(), reinterpret_cast<void *>(&plus_one), 0), 0);
        names.push_back(name);
        src += u"+" + name + u"(1)+" + name + u"(2)";
    }
    FrontRun r = run_front(src, kUpToClassify);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.callees.size(), 40u);
    EXPECT_GE(g_work.header_capacity - kOperandStart - 40, 16);
    for (const std::u16string &name : names) DeleteConstOrFunction(5, name.c_str());
}

// --- unary operators and assignment --------------------------------------------

TEST(Operators, UnaryIncrementAndAssignmentKinds) {
    FrontRun r = run_front(u"f(x:a)=(-x,+1,!a,a=-2,++a,x--,a=!x)", kUpToOperators);
    ASSERT_EQ(r.code, 0);
    std::vector<int> kinds;
    for (int32_t k = 0; k < r.body_size(); ++k) kinds.push_back(r.body(k).kind);
    std::vector<int> want = {kTokOpen,      kTokUnaryMinus, kTokLocal,  kTokComma, kTokUnaryPlus,
                             kTokConstant,  kTokComma,      kTokNot,    kTokLocal, kTokComma,
                             kTokLocal,     kTokAssign,     kTokUnaryMinus, kTokConstant, kTokComma,
                             kTokPreInc,    kTokLocal,      kTokComma,  kTokLocal, kTokPostDec,
                             kTokComma,     kTokLocal,      kTokAssign, kTokNot,   kTokLocal,
                             kTokClose};
    EXPECT_EQ(kinds, want);
    EXPECT_EQ(r.cx.flags, kFlagModifiesParams); // x--

    r = run_front(u"f(x:a)=(a=x,++a,a--)", kUpToOperators);
    EXPECT_EQ(r.cx.flags, 0);
    r = run_front(u"f(x:a)=(x=a)", kUpToOperators);
    EXPECT_EQ(r.cx.flags, kFlagModifiesParams);
    r = run_front(u"f(x:a)=(++x)", kUpToOperators);
    EXPECT_EQ(r.cx.flags, kFlagModifiesParams);
}

TEST(Operators, Errors) {
    expect_errors({
        {u"f(x)=(-)", 21, 6, 7},
        {u"f(x)=sqrt(+)", 21, 10, 11},
        {u"f(x)=x!1", 21, 6, 7},
        {u"f(x)=(!)", 21, 6, 7},
        {u"2*-3", 23, 1, 2},
        {u"-2^2", 30, 0, 2},
        {u"f(x)=-x^2", 30, 5, 7},
        {u"f(x)=1+(-(2+x)^2)", 30, 8, 14},
        {u"f(x)=-sqrt(x)^2", 30, 5, 13},
        {u"f(x)=-x++^2", 30, 5, 9},
        {u"f(x)=(++2)", 19, 6, 8},
        {u"f(x)=(++x++)", 19, 6, 8},
        {u"f(x)=2++", 19, 5, 7},
        {u"f(x)=(x++ +1)", 19, 7, 10},
        {u"f(x)=x+ ++x", 19, 6, 9},
        {u"f(x)=(x=1=2)", 22, 8, 9},
        {u"f(x)=(1=2)", 22, 6, 7},
        {u"f(x)=(=2)", 22, 5, 6},
        {u"f(x)=x+y=2", 24, 7, 7},
        {u"f(x)=(x+x=2)", 22, 8, 9},
        {u"f(x)=(sqrt(x)=2)", 22, 12, 13},
    });
    for (const char16_t *ok : {u"(-2)^2", u"-(2^2)", u"f(x)=-x*2^2", u"f(x)=(x=-2)^2"}) {
        EXPECT_EQ(run_front(ok).code, 0) << narrow(ok);
    }
}

// --- shape ---------------------------------------------------------------------

TEST(Shape, Errors) {
    expect_errors({
        {u"1+*2", 23, 1, 2},
        {u"(*2)", 23, 0, 1},
        {u"f()=*2", 23, 3, 4},
        {u"1+", 23, 1, 1},
        {u"(1+)", 23, 2, 3},
        {u"2(3)", 23, 0, 1},
        {u"(1)(2)", 23, 2, 3},
        {u"(1)2", 23, 2, 3},
        {u"sqrt(,1)", 23, 4, 5},
        {u"atan2(1,)", 23, 7, 8},
        {u"(1,,2)", 23, 2, 3},
        {u"()", 20, 0, 1},
        {u"1+()", 20, 2, 3},
        {u"2 3", 7, 2, 2},
        {u"\"s\" 1", 7, 4, 4},
        {u"1 sqrt(2)", 7, 2, 5},
        {u"N :: y", 24, 0, 0},
    });
    EXPECT_EQ(run_front(u"f(N)=N :: N").code, 7);
    for (const char16_t *ok : {u"if(1)", u"break()", u"sqrt(1)-(2)", u"f(x)=(x++, --x)"}) {
        EXPECT_EQ(run_front(ok).code, 0) << narrow(ok);
    }
}

// --- bad input -----------------------------------------------------------------

TEST(BadInput, RandomTextNeverCrashes) {
    std::mt19937 rng(12345);
    const std::u16string alphabet =
        u"abcxyzfi_0123456789.eE+-*/^%!&|<>=()[]{},:;\"@\\ \t\n#xAF[]& ";
    const TypeDesc *types[] = {&kFrontReal, &kIntType, &kComplexType};
    for (int n = 0; n < 3000; ++n) {
        std::u16string src;
        int len = int(rng() % 40);
        for (int k = 0; k < len; ++k) {
            uint32_t pick = rng() % 10;
            if (pick < 8) {
                src += alphabet[rng() % alphabet.size()];
            } else {
                src += char16_t(1 + rng() % 0xFFFF); // anything but the terminator
            }
        }
        FrontRun r = run_front(src, kAllFront, types[n % 3], 9);
        EXPECT_GE(r.code, 0);
        EXPECT_LE(r.code, 39);
        if (r.code > 1 && r.code != 3 && r.code != 39) {
            EXPECT_LE(0, r.first) << narrow(src);
            EXPECT_LE(r.first, r.last) << narrow(src);
            EXPECT_LT(r.last, int32_t(src.size())) << narrow(src);
        }
    }
}

TEST(BadInput, DeepNesting) {
    const int depth = 200000;
    std::u16string src = std::u16string(depth, u'(') + u"1" + std::u16string(depth, u')');
    FrontRun r = run_front(src);
    EXPECT_EQ(r.code, 0);

    src = u"f(x)=" + std::u16string(depth, u'[') + u"x" + std::u16string(depth - 1, u']');
    r = run_front(src);
    EXPECT_EQ(r.code, 2);

    src.clear();
    for (int k = 0; k < depth; ++k) src += u"-(";
    src += u"x.f()";
    src += std::u16string(depth, u')');
    r = run_front(u"g(x)=" + src, kAllFront);
    EXPECT_EQ(r.code, 25); // f is unknown; everything before it went through
    r = run_front(u"g(x)=" + src + u"^2", kAllFront);
    EXPECT_EQ(r.code, 25);
}

TEST(BadInput, MegabyteOfTokens) {
    std::u16string src = u"f(";
    for (int k = 0; k < 20000; ++k) src += (k ? u"," : u"") + std::u16string(u"v") + std::u16string(1, char16_t(0x4E00 + k));
    src += u")=0";
    for (int k = 0; k < 300000; ++k) src += u"+v\u4E05*(2.5-\"s\")";
    FrontRun r = run_front(src);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.cx.var_count, 20000);
    EXPECT_EQ(r.body_size(), 1 + 300000 * 8);

    std::u16string dup = src.substr(0, src.find(u")=")) + u",v\u4E00)=1";
    r = run_front(dup);
    EXPECT_EQ(r.code, 35);
}

TEST(BadInput, UnterminatedAndHugeStrings) {
    std::u16string src = u"f(x)=\"" + std::u16string(300000, u'a');
    FrontRun r = run_front(src);
    EXPECT_EQ(r.code, 6);
    EXPECT_EQ(r.first, 5);
    EXPECT_EQ(r.last, int32_t(src.size()) - 1);
    EXPECT_EQ(run_front(u"f(x)=\"\\[99999999999]\"").code, 39);
    EXPECT_EQ(run_front(u"f(x)=\"\\&\\[" + std::u16string(100000, u'9') + u"]\"").code, 39);
}

// --- through RealCom ---------------------------------------------------------

class FrontEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override {
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
        FreeTamrix();
    }

    struct Result {
        int rc;
        int first, last;
        void *handle;
        int params;
        double *data;
    };
    static Result compile(const std::u16string &src, int module = -1) {
        Result r{-100, -1, -1, nullptr, -2, nullptr};
        r.rc = RealCom(src.c_str(), module, &r.handle, &r.params, &r.data, &r.first, &r.last);
        return r;
    }
    static double value(const std::u16string &src, std::vector<double> args = {}) {
        Result r = compile(src);
        EXPECT_EQ(r.rc, 0) << narrow(src) << " [" << r.first << ", " << r.last << "]";
        if (r.rc) return -12345;
        EXPECT_EQ(size_t(r.params + 1), args.size()) << narrow(src);
        for (size_t k = 0; k < args.size(); ++k) r.data[k] = args[k];
        return RealCal(r.handle, r.data);
    }
};

TEST_F(FrontEndToEnd, LanguageCorpus) {
    struct Case {
        std::u16string src;
        std::vector<double> args;
        double want;
    };
    const Case cases[] = {
        {u"2+3", {}, 5},
        {u"f()=2+3", {}, 5},
        {u"f1(x,y:a,b:c)=x+y", {1, 2}, 3},
        {u"f2(x::c)=c=x, c", {4}, 4},
        {u"f3(x: static, s)=s=s+x", {2}, 2},
        {u"2.e3+.5", {}, 2000.5},
        {u"[1+2]*{3}", {}, 9},
        {u"(-2)^2", {}, 4},
        {u"-(2^2)", {}, -4},
        {u"2*(-3)", {}, -6},
        {u"(x)=x.atan2(1)", {1}, std::atan2(1.0, 1.0)},
        {u"(x)=x.fmod(3).fmod(2)", {7}, 1},
        {u"(x)=x.sqrt().sqrt()", {16}, 2},
        {u"(x)=(x+x).sqrt()*[x].dim(1)", {8}, 4 * 7},
        {u"(x,y)=x.y.atan2()", {0, 1}, 0},
        {u"(x:a)=(a=x, ++a, a++, a)", {1}, 3},
        {u"(x)=getw(\"\\x0041\\00065\")+getw(@\"\\\")", {0}, 65 + 92},
        {u"(x)=getw(\"\\&\\[1]\")", {0}, 32},
        {u"fact(n)=which(n<1, 1, n*fact(n-1))", {5}, 120},
        {u"(x:a)=(a=x:a*2)", {3}, 6},
    };
    ASSERT_EQ(value(u"SetRealStackMax(1000)"), 1000); // room for the recursion below
    for (const Case &c : cases) EXPECT_EQ(value(c.src, c.args), c.want) << narrow(c.src);
}

// The string area as a record holds it: aligned literals start on a multiple
// of 4 characters, and a formula can read its own strings.
TEST_F(FrontEndToEnd, AlignedStringIndex) {
    EXPECT_EQ(value(u"\"\\&\""), 4);
    EXPECT_EQ(value(u"ab()=\"x\"+\"\\&y\""), 4 + 8);
    EXPECT_EQ(value(u"abc()=\"\\&\\[2]\"+getn(1)"), 8 + 0);
}

TEST_F(FrontEndToEnd, ErrorCorpusKeepsCodesAndRanges) {
    const std::vector<ErrorCase> cases = {
        {u"f(x:::c)=1", 10, 0, 5},  {u"f(x, static)=1", 28, 5, 10}, {u"1..2", 17, 0, 2},
        {u"1e", 17, 0, 1},          {u".", 17, 0, 0},               {u"\"abc", 6, 0, 3},
        {u"\"\\q\"", 5, 1, 2},      {u"(1]", 2, 0, 2},              {u"2*-3", 23, 1, 2},
        {u"-2^2", 30, 0, 2},        {u"f(x,x)=1", 35, 4, 5},        {u"x.", 31, 0, 1},
        {u"f(x)=y", 24, 5, 5},      {u"f(x)=g(x)", 25, 5, 5},       {u"()", 20, 0, 1},
        {u"2 3", 7, 2, 2},          {u"f(x)=(!)", 21, 6, 7},        {u"f(x)=(++2)", 19, 6, 8},
        {u"f(x)=(1=2)", 22, 6, 7},  {u"f(x)=sqrt(&2)", 18, 10, 11}, {u"1(x)=2", 8, 0, 0},
        {u"f(1)=1", 9, 2, 2},       {u"f(x,)=1", 11, 3, 4},         {u"f(x)=", 3, 4, 4},
        {u"", 3, 0, 0},             {u"1#", 7, 1, 1},               {u"f(x)=\"\\[99999999999]\"", 39, 0, 0},
    };
    for (const ErrorCase &c : cases) {
        Result r = compile(c.src);
        EXPECT_EQ(r.rc, c.code) << narrow(c.src);
        EXPECT_EQ(r.first, c.first) << narrow(c.src);
        EXPECT_EQ(r.last, c.last) << narrow(c.src);
    }
    // Left to code generation.
    EXPECT_EQ(compile(u"if(1)").rc, 16);
    EXPECT_EQ(compile(u"break()").rc, 15);
    EXPECT_EQ(compile(u"while(1, break(1))").rc, 14);
}

TEST_F(FrontEndToEnd, DuplicateFormulaNames) {
    ASSERT_EQ(compile(u"f(x)=x", -1).rc, 0);
    Result again = compile(u"f(y)=y", -1);
    EXPECT_EQ(again.rc, 29);
    EXPECT_EQ(again.first, 0);
    EXPECT_EQ(again.last, 0);
    EXPECT_EQ(compile(u"f(y)=y", -2).rc, 0);
    EXPECT_EQ(compile(u"ff(y)=y", -1).rc, 0);
}

// A failed compile leaves the shared cells it created; the next formula of
// the module finds the same cell.
TEST_F(FrontEndToEnd, SharedCellsOutliveAFailedCompile) {
    EXPECT_EQ(compile(u"f(::m)=m=5, nope", -3).rc, 24);
    Result g = compile(u"g(::m)=m", -3);
    ASSERT_EQ(g.rc, 0);
    EXPECT_EQ(RealCal(g.handle, g.data), 0);
    Result h = compile(u"h(::m)=m=7", -3);
    ASSERT_EQ(h.rc, 0);
    RealCal(h.handle, h.data);
    EXPECT_EQ(RealCal(g.handle, g.data), 7);
}

// Token-shaped noise exercises the later passes, not just the lexer.
TEST_F(FrontEndToEnd, RandomFragmentsNeverCrash) {
    const char16_t *pieces[] = {u"x",  u"y",   u"a",    u"m",     u".",   u"(",  u")",  u"[",
                                u"]",  u"{",   u"}",    u",",     u":",   u"&",  u"++", u"--",
                                u"-",  u"+",   u"!",    u"^",     u"=",   u"*",  u"1",  u"2.5",
                                u"\"s\"", u"sqrt(", u"atan2(", u"if(", u"which(", u"f(", u"g(",
                                u"::", u"|",   u" ",    u"<=",    u"i",   u"break()", u"e"};
    std::mt19937 rng(777);
    ASSERT_EQ(compile(u"g(p, q)=q=q+p", 5).rc, 0);
    for (int n = 0; n < 4000; ++n) {
        std::u16string src = n % 2 ? u"f(x,y:a:m)=" : u"";
        int len = 1 + int(rng() % 24);
        for (int k = 0; k < len; ++k) src += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        Result r = compile(src, 5);
        EXPECT_GE(r.rc, 0) << narrow(src);
        EXPECT_LE(r.rc, 39) << narrow(src);
        if (r.rc > 1 && r.rc != 3 && r.rc != 36 && r.rc != 39) {
            EXPECT_LE(0, r.first) << narrow(src);
            EXPECT_LE(r.first, r.last) << narrow(src);
            EXPECT_LT(r.last, int(src.size())) << narrow(src);
        }
        if (r.rc == 0) DeleteFor(2, r.handle);
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
}

}  // namespace
}  // namespace tmx::testing
