// Lexing: source -> token list.
//
// After the scan two fix-ups run over the list: qualified names in the body
// (M::f, A::B::g) become one identifier, and a source without a header gets
// the tokens "( ) =" in front so that every later pass sees a header.  The
// lexer also measures the string area the literals will need and refuses
// (error 39) a layout beyond the string-area limit; the header pass
// writes the strings once the name is known.
#include <cstring>

#include "../limits.h"
#include "lex_strings.h"
#include "parse_tokens.h"

namespace tmx {

namespace {

struct Lexer {
    CompileContext &cx;
    const char16_t *src;
    int32_t len;
    Token *tok;
    int32_t cap;
    int32_t count = 0;

    explicit Lexer(CompileContext &c)
        : cx(c), src(c.src), len(c.src_len), tok(c.tokens()), cap(g_work.token_capacity) {}

    uint16_t last_kind() const { return count > 0 ? tok[count - 1].kind : uint16_t(kTokDeleted); }

    int push(uint16_t kind, int32_t first, int32_t last) {
        if (count >= cap) return kGrowTokens;
        set_token(tok[count++], kind, first, last);
        return 0;
    }

    // A "." is the member operator after something that can be an object.
    bool dot_is_member() const {
        switch (last_kind()) {
        case kTokIdent:
        case kTokClose:
        case kTokCloseSquare:
        case kTokCloseCurly:
        case kTokString: return true;
        default: return false;
        }
    }

    int scan();
    int number(int32_t &i);
    int identifier(int32_t &i);
    int string(int32_t &i);
    int punctuation(int32_t &i);
    int32_t find_header() const;
    void merge_body_names(int32_t from);
    int insert_header();
    int check_string_area() const;
};

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

int Lexer::number(int32_t &i) {
    if (count >= cap) return kGrowTokens;
    Token &t = tok[count];
    set_token(t, kTokConstant, i, i);
    int32_t last = i;
    if (TmCompileResult err = cx.type->lex_number(src, i, &last, t.constant)) {
        return cx.fail(err, i, last < i ? i : last);
    }
    t.last = last;
    ++count;
    i = last + 1;
    return 0;
}

int Lexer::identifier(int32_t &i) {
    int32_t first = i;
    while (i < len && is_ident_char(src[i])) ++i;
    return push(kTokIdent, first, i - 1);
}

// The token keeps the literal's measure for the layout check and the header
// pass: value = 1 for an aligned literal, constant = stored length (int64).
int Lexer::string(int32_t &i) {
    StringScan s;
    scan_string(src, len, i, nullptr, &s);
    if (s.error) return cx.fail(s.error, s.err_first, s.err_last);
    if (int grow = push(kTokString, i, s.close)) return grow;
    Token &t = tok[count - 1];
    t.value = s.aligned ? 1 : 0;
    std::memcpy(t.constant, &s.length, sizeof s.length);
    i = s.close + 1;
    return 0;
}

// Two-character tokens first, then single characters.
int Lexer::punctuation(int32_t &i) {
    char16_t c = src[i], d = src[i + 1];
    uint16_t pair = 0;
    if (c == u'+' && d == u'+') pair = kTokInc;
    else if (c == u'-' && d == u'-') pair = kTokDec;
    else if (c == u'>' && d == u'=') pair = kTokGe;
    else if (c == u'<' && d == u'=') pair = kTokLe;
    else if (c == u'=' && d == u'=') pair = kTokEq;
    else if (c == u'!' && d == u'=') pair = kTokNe;
    else if (c == u':' && d == u':') pair = kTokScope;
    if (pair) {
        i += 2;
        return push(pair, i - 2, i - 1);
    }
    switch (c) {
    case u'!': case u'&': case u'(': case u')': case u'*': case u'+': case u',':
    case u'-': case u'/': case u':': case u'<': case u'=': case u'>': case u'[':
    case u']': case u'{': case u'|': case u'}':
        break;
    case u'^':
        if (!cx.type->has_power) return cx.fail(TM_CE_BAD_CHARACTER, i, i);
        break;
    case u'%':
        if (!cx.type->has_remainder) return cx.fail(TM_CE_BAD_CHARACTER, i, i);
        break;
    default: return cx.fail(TM_CE_BAD_CHARACTER, i, i);
    }
    ++i;
    return push(c, i - 1, i - 1);
}

int Lexer::scan() {
    int32_t i = 0;
    while (i < len) {
        char16_t c = src[i];
        int r = 0;
        if (is_space(c)) {
            ++i;
        } else if (is_digit(c) || (c == u'.' && !dot_is_member())) {
            r = number(i);
        } else if (c == u'.') {
            r = push(kTokMember, i, i);
            ++i;
        } else if (is_ident_start(c)) {
            r = identifier(i);
        } else if (c == u'"' || (c == u'@' && src[i + 1] == u'"')) {
            r = string(i);
        } else {
            r = punctuation(i);
        }
        if (r) return r;
    }
    return 0;
}

// The first "=" that directly follows a ")" ends the header; -1 when none.
int32_t Lexer::find_header() const {
    for (int32_t k = 1; k < count; ++k) {
        if (tok[k].kind == kTokAssign && tok[k - 1].kind == kTokClose) return k;
    }
    return -1;
}

bool is_imaginary_unit_char(char16_t c) { return c == u'i' || c == u'I'; }

bool is_imaginary_unit(const CompileContext &cx, const Token &t) {
    return t.kind == kTokIdent && (token_is(cx, t, u"i") || token_is(cx, t, u"I"));
}

// In the body, identifier "::" identifier written without spaces becomes one
// identifier (repeatedly, so A::B::f is one name); for a type with an
// imaginary unit, a number literal followed by the identifier i or I becomes
// one imaginary constant.  One compacting sweep keeps this linear.
void Lexer::merge_body_names(int32_t from) {
    bool imaginary = cx.type->imaginary_unit;
    int32_t kept = from;
    for (int32_t r = from; r < count; ++r) {
        Token &cur = tok[r];
        Token *prev = kept > from ? &tok[kept - 1] : nullptr;
        if (prev && cur.kind == kTokScope && prev->kind == kTokIdent && r + 1 < count &&
            tok[r + 1].kind == kTokIdent && prev->last + 1 == cur.first &&
            cur.last + 1 == tok[r + 1].first) {
            prev->last = tok[r + 1].last;
            ++r;
            continue;
        }
        // A literal takes one suffix: in "2i i" the second i stands alone.
        if (imaginary && prev && prev->kind == kTokConstant &&
            !is_imaginary_unit_char(src[prev->last]) && is_imaginary_unit(cx, cur)) {
            // The slot holds (real, imaginary): the literal moves to the
            // imaginary half.
            std::memcpy(prev->constant + 8, prev->constant, 8);
            std::memset(prev->constant, 0, 8);
            prev->last = cur.last;
            continue;
        }
        if (kept != r) tok[kept] = cur;
        ++kept;
    }
    count = kept;
}

// Puts "( ) =" in front of a source without a header.  The tokens have no
// text of their own.
int Lexer::insert_header() {
    if (count + 3 > cap) return kGrowTokens;
    std::memmove(tok + 3, tok, size_t(count) * sizeof(Token));
    set_token(tok[0], kTokOpen, 0, -1);
    set_token(tok[1], kTokClose, 0, -1);
    set_token(tok[2], kTokAssign, 0, -1);
    count += 3;
    return 0;
}

// Lays the string area out as the header pass will (name, then the body's
// literals, aligned ones on a multiple of 4 characters) and refuses it when
// it would reach the string-area limit (limits.h).  64-bit arithmetic
// throughout: a single \[n] may ask for more than the address space.
int Lexer::check_string_area() const {
    int32_t close = cx.header_close;
    int64_t name_length = 0;
    if (close >= 2 && tok[1].kind == kTokOpen && tok[0].kind == kTokIdent) {
        name_length = token_length(tok[0]);
    }
    int64_t word = 1 + name_length + 1;
    for (int32_t k = close + 2; k < count; ++k) {
        if (tok[k].kind != kTokString) continue;
        int64_t length;
        std::memcpy(&length, tok[k].constant, sizeof length);
        if (tok[k].value) word = (word + 3) & ~int64_t(3);
        word += length + 1;
        if (2 * word >= kMaxStringAreaBytes) return cx.fail(kErrorSourceTooLong, 0, 0);
    }
    return 0;
}

}  // namespace

int lex(CompileContext &cx) {
    Lexer lx(cx);
    if (int r = lx.scan()) return r;
    int32_t assign = lx.find_header();
    lx.merge_body_names(assign + 1);
    if (assign < 0) {
        if (int r = lx.insert_header()) return r;
        assign = 2;
    }
    cx.ntokens = lx.count;
    cx.header_close = assign - 1;
    return lx.check_string_area();
}

}  // namespace tmx
