// The lexer and the number literals: tokens, literal values and rounding,
// strings and their escapes, the string-area layout, and malformed input.
#include <cmath>
#include <limits>
#include <string>

#include "front_passes.h"
#include "kernel/compile/lex_strings.h"

namespace tmx::testing {
namespace {

// Kinds of the tokens after the header's "=" (the whole list when the lexer
// put "( ) =" in front).
std::vector<int> body_kinds(const FrontRun &r) {
    std::vector<int> kinds;
    for (size_t k = size_t(r.cx.header_close + 2); k < r.tokens.size(); ++k) {
        kinds.push_back(r.tokens[k].kind);
    }
    return kinds;
}

double real_literal(const std::u16string &text) {
    int32_t last = -1;
    double v = 0;
    EXPECT_EQ(lex_real_number(text.c_str(), 0, &last, &v), 0) << std::string(text.begin(), text.end());
    EXPECT_EQ(last, int32_t(text.size()) - 1);
    return v;
}

struct BadLiteral {
    const char16_t *text;
    int32_t last; // end of what was read
};

TEST(RealLiteral, ValuesAndForms) {
    EXPECT_EQ(real_literal(u"2.e3"), 2000.0);
    EXPECT_EQ(real_literal(u".5"), 0.5);
    EXPECT_EQ(real_literal(u"7."), 7.0);
    EXPECT_EQ(real_literal(u"1E+2"), 100.0);
    EXPECT_EQ(real_literal(u"1e-3"), 0.001);
    EXPECT_EQ(real_literal(u"0.1"), 0.1);
    EXPECT_EQ(real_literal(u"000123.4500"), 123.45);
    EXPECT_EQ(real_literal(u"0"), 0.0);
    EXPECT_EQ(real_literal(u"0.000e999999"), 0.0);
    EXPECT_EQ(real_literal(u"2.2250738585072011e-308"), 2.2250738585072011e-308);
    EXPECT_EQ(real_literal(u"4.9e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(real_literal(u"1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(RealLiteral, OutOfRangeBecomesInfinityOrZero) {
    EXPECT_TRUE(std::isinf(real_literal(u"1e400")));
    EXPECT_TRUE(std::isinf(real_literal(u"1e99999999999999999999")));
    EXPECT_EQ(real_literal(u"1e-400"), 0.0);
    EXPECT_EQ(real_literal(u"1e-99999999999999999999"), 0.0);
    EXPECT_EQ(real_literal(u"0.00000000000000000000000001e-99999999999"), 0.0);
}

// Rounding must look at every digit: 2^53 + 1 lies exactly between two
// doubles (ties go to even), and any nonzero digit however far out tips it.
TEST(RealLiteral, CorrectlyRoundedOverLongDigitStrings) {
    EXPECT_EQ(real_literal(u"9007199254740993"), 9007199254740992.0);
    std::u16string tipped = u"9007199254740993." + std::u16string(2000, u'0') + u"1";
    EXPECT_EQ(real_literal(tipped), 9007199254740994.0);
    std::u16string exact = u"9007199254740993" + std::u16string(3000, u'0') + u"e-3000";
    EXPECT_EQ(real_literal(exact), 9007199254740992.0);
    std::u16string leading = u"0." + std::u16string(5000, u'0') + u"1e5001";
    EXPECT_EQ(real_literal(leading), 1.0);
    std::u16string many_ones(1500, u'1');
    EXPECT_EQ(real_literal(many_ones + u"e-1499"), 1.1111111111111112);
}

TEST(RealLiteral, MalformedReportsWhatWasRead) {
    const BadLiteral cases[] = {
        {u"1..2", 2}, {u"1e", 1},   {u"1e+", 2},  {u".", 0},    {u".e5", 0},
        {u"1.2.3", 3}, {u"1e5.", 3}, {u"1e5.2", 3}, {u"1.e", 2}, {u"..", 1},
    };
    for (const BadLiteral &c : cases) {
        int32_t last = -1;
        double v;
        EXPECT_EQ(lex_real_number(c.text, 0, &last, &v), 17) << std::string(c.text, c.text + 3);
        EXPECT_EQ(last, c.last) << std::string(c.text, c.text + 3);
    }
}

TEST(IntLiteral, DecimalHexAndErrors) {
    auto value = [](const char16_t *text, int32_t *last) {
        int64_t v = 0;
        EXPECT_EQ(lex_int_number(text, 0, last, &v), 0);
        return v;
    };
    int32_t last;
    EXPECT_EQ(value(u"0x1F", &last), 31);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(value(u"0x1f", &last), 1); // stops before the lower-case digit
    EXPECT_EQ(last, 2);
    EXPECT_EQ(value(u"0xFFFFFFFFFFFFFFFF", &last), -1);
    EXPECT_EQ(value(u"0x10000000000000001", &last), 1);
    EXPECT_EQ(value(u"0123", &last), 123);
    EXPECT_EQ(value(u"9223372036854775807", &last), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(value(u"99999999999999999999999", &last), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(value(u"12.5", &last), 12);
    EXPECT_EQ(last, 1);
    int64_t v;
    EXPECT_EQ(lex_int_number(u"0x", 0, &last, &v), 17);
    EXPECT_EQ(last, 1);
    EXPECT_EQ(lex_int_number(u"0xg", 0, &last, &v), 17);
    EXPECT_EQ(lex_int_number(u".5", 0, &last, &v), 17);
    EXPECT_EQ(last, 0);
}

TEST(Lexer, OperatorsAndTwoCharacterTokens) {
    FrontRun r = run_front(u"a>=b<=c==d!=e++ --f::g&h|!k:[{}]^1/2*3%4", kUpToLex, &kIntType);
    ASSERT_EQ(r.code, 7); // '^' belongs to real and complex only
    EXPECT_EQ(r.first, 32);
    r = run_front(u"a>=b<=c==d!=e++ --f::g&h|!k:[{}]^1/2*3-4", kUpToLex);
    ASSERT_EQ(r.code, 0);
    std::vector<int> want = {kTokIdent, kTokGe,    kTokIdent,       kTokLe,         kTokIdent,
                             kTokEq,    kTokIdent, kTokNe,          kTokIdent,      kTokInc,
                             kTokDec,   kTokIdent, kTokAnd,         kTokIdent,      kTokOr,
                             kTokNot,   kTokIdent, kTokColon,       kTokOpenSquare, kTokOpenCurly,
                             kTokCloseCurly, kTokCloseSquare, kTokCaret, kTokConstant, kTokDiv,
                             kTokConstant, kTokMul, kTokConstant, kTokMinus, kTokConstant};
    EXPECT_EQ(body_kinds(r), want); // f::g merged into one identifier
    EXPECT_EQ(run_front(u"7%3", kUpToLex).code, 7);
    EXPECT_EQ(run_front(u"7%3", kUpToLex, &kIntType).code, 0);
}

TEST(Lexer, CharactersOutsideTheLanguage) {
    struct Case {
        std::u16string src;
        int32_t at;
    };
    const Case cases[] = {{u"1#2", 1}, {u"x$", 1}, {u"a@b", 1}, {u"'a'", 0},
                          {u"f()=1;2", 5}, {u"x\u00e9", 1}, {u"1\f", 1}, {u"~x", 0}};
    for (const Case &c : cases) {
        FrontRun r = run_front(c.src, kUpToLex);
        EXPECT_EQ(r.code, 7);
        EXPECT_EQ(r.first, c.at);
        EXPECT_EQ(r.last, c.at);
    }
}

TEST(Lexer, IdentifiersTakeWideCharactersAndLoneSurrogates) {
    std::u16string src = u"_a1+\u4e2d\u6587+x";
    src += char16_t(0xD800);
    src += u"y+";
    src += char16_t(0xDFFF);
    FrontRun r = run_front(src, kUpToLex);
    ASSERT_EQ(r.code, 0);
    std::vector<int> want = {kTokIdent, kTokPlus, kTokIdent, kTokPlus, kTokIdent, kTokPlus, kTokIdent};
    EXPECT_EQ(body_kinds(r), want);
    EXPECT_EQ(r.tokens[7].first, 7);
    EXPECT_EQ(r.tokens[7].last, 9);
}

TEST(Lexer, NumbersAndTheMemberDot) {
    FrontRun r = run_front(u"x.5", kUpToLex);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(body_kinds(r), (std::vector<int>{kTokIdent, kTokMember, kTokConstant}));
    r = run_front(u"(1).f+\"s\".g+[2].h+{3}.k+.5", kUpToLex);
    ASSERT_EQ(r.code, 0);
    int members = 0;
    for (const Token &t : r.tokens) members += t.kind == kTokMember;
    EXPECT_EQ(members, 4);
    EXPECT_EQ(r.real(r.tokens.back()), 0.5);

    struct Case {
        std::u16string src;
        int32_t first, last;
    };
    const Case bad[] = {{u"1..2", 0, 2}, {u"1e", 0, 1}, {u".", 0, 0},
                        {u"f(x)=x+1e+", 7, 9}, {u"2+.", 2, 2}, {u"x+1.2.3", 2, 5}};
    for (const Case &c : bad) {
        FrontRun b = run_front(c.src, kUpToLex);
        EXPECT_EQ(b.code, 17);
        EXPECT_EQ(b.first, c.first);
        EXPECT_EQ(b.last, c.last);
    }
}

TEST(Lexer, QualifiedNamesMergeInTheBodyOnly) {
    FrontRun r = run_front(u"f(x::c)=A::B::g(M::x)+N :: y", kUpToLex);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.tokens[3].kind, kTokScope); // header: two colons
    std::vector<std::string> texts;
    for (size_t k = 7; k < r.tokens.size(); ++k) texts.push_back(r.text(r.tokens[k]));
    EXPECT_EQ(texts, (std::vector<std::string>{"A::B::g", "(", "M::x", ")", "+", "N", "::", "y"}));
    r = run_front(u"::f", kUpToLex);
    EXPECT_EQ(body_kinds(r), (std::vector<int>{kTokScope, kTokIdent}));
}

TEST(Lexer, HeaderDetection) {
    FrontRun r = run_front(u"2+3", kUpToLex);
    ASSERT_EQ(r.code, 0);
    ASSERT_EQ(r.tokens.size(), 6u);
    EXPECT_EQ(r.cx.header_close, 1);
    EXPECT_EQ(r.tokens[0].kind, kTokOpen);
    EXPECT_EQ(r.tokens[2].kind, kTokAssign);
    EXPECT_LT(r.tokens[2].last, r.tokens[2].first); // no text of its own

    r = run_front(u"f(x) = x", kUpToLex);
    EXPECT_EQ(r.cx.header_close, 3);
    r = run_front(u"(x)==1", kUpToLex); // "==" is no header
    EXPECT_EQ(r.cx.header_close, 1);
    EXPECT_EQ(r.tokens.size(), 8u);
    r = run_front(u"g(a)=(b)=1", kUpToLex); // the first one ends the header
    EXPECT_EQ(r.cx.header_close, 3);
}

TEST(Lexer, ImaginaryLiterals) {
    FrontRun r = run_front(u"2i+3 I+4if+i", kUpToLex, &kComplexType);
    ASSERT_EQ(r.code, 0);
    std::vector<int> want = {kTokConstant, kTokPlus, kTokConstant, kTokPlus,
                             kTokConstant, kTokIdent, kTokPlus, kTokIdent};
    ASSERT_EQ(body_kinds(r), want);
    double v[2];
    std::memcpy(v, r.tokens[3].constant, sizeof v);
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[1], 2.0);
    std::memcpy(v, r.tokens[5].constant, sizeof v);
    EXPECT_EQ(v[1], 3.0);
    EXPECT_EQ(r.text(r.tokens[5]), "3 I");
    r = run_front(u"2i", kUpToLex); // the real lexer leaves i alone
    EXPECT_EQ(body_kinds(r), (std::vector<int>{kTokConstant, kTokIdent}));
}

// --- strings -----------------------------------------------------------------

std::u16string stored(const std::u16string &literal) {
    StringScan s;
    scan_string(literal.c_str(), int32_t(literal.size()), 0, nullptr, &s);
    EXPECT_EQ(s.error, 0);
    std::u16string out(size_t(s.length), u'?');
    scan_string(literal.c_str(), int32_t(literal.size()), 0, out.data(), &s);
    return out;
}

TEST(StringLiteral, Escapes) {
    EXPECT_EQ(stored(u"\"a\\\"b\\\\c\""), u"a\"b\\c");
    EXPECT_EQ(stored(u"\"\\a\\b\\f\\n\\r\\t\\v\""), std::u16string({7, 8, 12, 10, 13, 9, 11}));
    EXPECT_EQ(stored(u"\"x\\%y\\&z\""), std::u16string({u'x', 0, u'y', u'z'}));
    EXPECT_EQ(stored(u"\"\\65535\\65536\\99999\\000651\""),
              std::u16string({char16_t(65535), 0, char16_t(34463), u'A', u'1'}));
    EXPECT_EQ(stored(u"\"\\x00AF\\xFFFFG\""), std::u16string({char16_t(0xAF), char16_t(0xFFFF), u'G'}));
    EXPECT_EQ(stored(u"\"<\\[3]>\\[0]\""), u"<   >");
    EXPECT_EQ(stored(u"@\"\\q\\n\""), u"\\q\\n");
    EXPECT_EQ(stored(u"\"\""), u"");
}

TEST(StringLiteral, AlignedStringsReserveFourSpacesPerCount) {
    StringScan s;
    std::u16string lit = u"\"\\&ab\\[2]\"";
    scan_string(lit.c_str(), int32_t(lit.size()), 0, nullptr, &s);
    EXPECT_TRUE(s.aligned);
    EXPECT_EQ(s.length, 10);
    lit = u"\"a\\&\\[2]\""; // \& later in the string aligns nothing
    scan_string(lit.c_str(), int32_t(lit.size()), 0, nullptr, &s);
    EXPECT_FALSE(s.aligned);
    EXPECT_EQ(s.length, 3);
    lit = u"@\"\\&\"";
    scan_string(lit.c_str(), int32_t(lit.size()), 0, nullptr, &s);
    EXPECT_FALSE(s.aligned);
}

TEST(StringLiteral, BadEscapesAndUnclosedStrings) {
    struct Case {
        std::u16string src;
        int code;
        int32_t first, last;
    };
    const Case cases[] = {
        {u"\"\\q\"", 5, 1, 2},
        {u"f()=\"ab\\12x\"", 5, 7, 9},
        {u"\"\\1234\"", 5, 1, 5},
        {u"\"\\x12g4\"", 5, 1, 4},
        {u"\"\\xab12\"", 5, 1, 2},
        {u"\"\\[12\"", 5, 1, 4},
        {u"\"\\[]\"", 5, 1, 2},
        {u"\"\\[x]\"", 5, 1, 2},
        {u"1+\"abc", 6, 2, 5},
        {u"1+@\"ab", 6, 3, 5},
        {u"@\"a\\\"+\"b", 6, 6, 7}, // the backslash does not escape the quote
        {u"\"\\", 6, 0, 1},
        {u"\"\\123", 6, 0, 4},
        {u"\"\\x1", 6, 0, 3},
        {u"\"\\[99", 6, 0, 4},
        {u"\"", 6, 0, 0},
    };
    for (const Case &c : cases) {
        FrontRun r = run_front(c.src, kUpToLex);
        EXPECT_EQ(r.code, c.code) << std::string(c.src.begin(), c.src.end());
        EXPECT_EQ(r.first, c.first) << std::string(c.src.begin(), c.src.end());
        EXPECT_EQ(r.last, c.last) << std::string(c.src.begin(), c.src.end());
    }
}

// The string area may not reach 64 MiB (limits.h).  Without a name the first
// string starts at word 2, so n spaces end the area at word n + 3.
TEST(StringLiteral, StringAreaLimit) {
    auto code = [](const std::u16string &src) { return run_front(src, kUpToLex).code; };
    EXPECT_EQ(code(u"\"\\[33554428]\""), 0);
    FrontRun r = run_front(u"\"\\[33554429]\"", kUpToLex);
    EXPECT_EQ(r.code, 39);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 0);
    EXPECT_EQ(code(u"g()=\"\\[33554428]\""), 39); // the name takes a word
    EXPECT_EQ(code(u"\"\\&\\[8388607]\""), 39);    // aligned: 4n spaces
    EXPECT_EQ(code(u"\"\\&\\[8388606]\""), 0);
    EXPECT_EQ(code(u"\"\\[99999999999999999999999999]\""), 39);
    EXPECT_EQ(code(u"\"\\[20000000]\"+\"\\[20000000]\""), 39); // together too much
    EXPECT_EQ(code(u"g(\"\\[99999999999]\")=1"), 0); // header strings get no space
}

TEST(StringLiteral, HugeBracketCountIsRefusedWithoutWriting) {
    // Through the header pass: the refusal comes before anything is sized.
    FrontRun r = run_front(u"f()=\"\\&\\[99999999999]\"+\"x\"", kUpToHeader);
    EXPECT_EQ(r.code, 39);
}

}  // namespace
}  // namespace tmx::testing
