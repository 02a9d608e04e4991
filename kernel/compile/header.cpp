// The header:  name ( parameters : automatic : shared ) =
//
// Every header identifier gets the index of its position, counted across
// the sections with the keywords included.  In the second section `static`
// starts the static variables and a later `free` names the release
// variable; in the third, `common` starts the variables shared by all
// modules.  The pass also writes the start of the code array: the flag
// bytes, the name and the string literals of the body.
#include <cstring>

#include "lex_strings.h"
#include "parse_names.h"
#include "parse_tokens.h"
#include "../registry/registry.h"

namespace tmx {

namespace {

struct HeaderParser {
    CompileContext &cx;
    Token *tok;
    int32_t open = -1;
    int32_t close;
    NameTable names;
    int section = 1; // 1 parameters, 2 automatic and static, 3 shared
    int colons = 0;
    int32_t count = 0; // variable positions so far
    int32_t params = 0;
    bool static_seen = false, common_seen = false, free_seen = false;

    explicit HeaderParser(CompileContext &c) : cx(c), tok(c.tokens()), close(c.header_close) {}

    int fail(TmCompileResult code, const Token &a, const Token &b) { return cx.fail(code, a.first, b.last); }

    int name();
    int entries();
    int variable(int32_t k);
    int separator(int32_t k);
    int colon(int32_t k, int n);
    int body_present();
};

// name ( ...: the header bracket is the first "(" before the closing one;
// what stands before it must be one identifier or nothing.
int HeaderParser::name() {
    for (int32_t k = 0; k < close; ++k) {
        if (tok[k].kind == kTokOpen) {
            open = k;
            break;
        }
    }
    if (open < 0) return fail(TM_CE_BAD_FORMULA_NAME, tok[0], tok[close]);
    if (open > 1) return fail(TM_CE_BAD_FORMULA_NAME, tok[0], tok[open - 1]);
    if (open == 1 && tok[0].kind != kTokIdent) return fail(TM_CE_BAD_FORMULA_NAME, tok[0], tok[0]);
    cx.header_open = open;
    cx.name_token = open == 1 ? 0 : -1;
    if (open == 1 && name_conflicts(token_text(cx, tok[0]), token_length(tok[0]), cx.module)) {
        return fail(TM_CE_NAME_EXISTS, tok[0], tok[0]);
    }
    return 0;
}

int HeaderParser::entries() {
    if (!names.init(cx, close - open)) return kGrowTokens;
    for (int32_t k = open + 1; k < close; ++k) {
        int r = 0;
        switch (tok[k].kind) {
        case kTokIdent: r = variable(k); break;
        case kTokComma: r = separator(k); break;
        case kTokColon: r = colon(k, 1); break;
        case kTokScope: r = colon(k, 2); break;
        default: r = fail(TM_CE_BAD_HEADER_ENTRY, tok[k], tok[k]); break;
        }
        if (r) return r;
    }
    cx.var_count = count;
    if (!static_seen) cx.first_static = count;
    cx.last_param = params - 1;
    return 0;
}

int HeaderParser::variable(int32_t k) {
    const Token &t = tok[k];
    if (tok[k - 1].kind == kTokIdent) return fail(TM_CE_BAD_HEADER_COMMA, tok[k - 1], t);
    if (cx.type->imaginary_unit && (token_is(cx, t, u"i") || token_is(cx, t, u"I"))) {
        return fail(TM_CE_I_AS_PARAMETER, t, t);
    }
    bool keyword = false;
    if (token_is(cx, t, u"static")) {
        if (section != 2) return fail(TM_CE_MISPLACED_KEYWORD, t, t);
        if (!static_seen) {
            static_seen = keyword = true;
            cx.first_static = count;
        }
    } else if (token_is(cx, t, u"common")) {
        if (section != 3) return fail(TM_CE_MISPLACED_KEYWORD, t, t);
        if (!common_seen) common_seen = keyword = true;
    } else if (section == 2 && static_seen && !free_seen && token_is(cx, t, u"free")) {
        free_seen = true;
        cx.free_var = count;
    }
    if (names.find_variable(token_text(cx, t), token_length(t)) >= 0) {
        return fail(TM_CE_DUPLICATE_VARIABLE, t, tok[close]);
    }
    HeaderVariable &hv = cx.vars()[count];
    hv.first = t.first;
    hv.last = t.last;
    hv.shared = section == 3;
    hv.common = section == 3 && common_seen && !keyword;
    if (int r = names.add_variable(count)) return r;
    if (section == 1) ++params;
    ++count;
    return 0;
}

// A "," stands between two identifiers.
int HeaderParser::separator(int32_t k) {
    if (tok[k - 1].kind != kTokIdent) return fail(TM_CE_BAD_HEADER_COMMA, tok[k - 1], tok[k]);
    uint16_t next = tok[k + 1].kind;
    if (k + 1 == close || next == kTokComma || next == kTokColon || next == kTokScope) {
        return fail(TM_CE_BAD_HEADER_COMMA, tok[k], tok[k + 1]);
    }
    return 0;
}

// ":" counts one colon, "::" two; a third is error 10, reported up to that
// colon.
int HeaderParser::colon(int32_t k, int n) {
    int before = colons;
    colons += n;
    if (colons > 2) {
        int32_t third = (n == 2 && before == 1) ? tok[k].last : tok[k].first;
        return cx.fail(TM_CE_TOO_MANY_COLONS, tok[0].first, third);
    }
    section = colons + 1;
    return 0;
}

int HeaderParser::body_present() {
    if (close + 2 < cx.ntokens) return 0;
    const Token &eq = tok[close + 1];
    if (is_synthetic(eq)) return cx.fail(TM_CE_NO_EXPRESSION, 0, cx.src_len > 0 ? cx.src_len - 1 : 0);
    return fail(TM_CE_NO_EXPRESSION, eq, eq);
}

// Flag bytes, the name and its zero, then every string literal of the body
// with its zero; an aligned literal starts on a multiple of 4 characters
// (the gap is zero characters).  String tokens become constants holding
// their character index.
int write_string_area(CompileContext &cx) {
    Token *tok = cx.tokens();
    int32_t name_length = cx.name_token >= 0 ? token_length(tok[cx.name_token]) : 0;
    int32_t body = cx.header_close + 2;

    // The lexer has bounded the layout below the code array limit.
    int64_t words = 1 + name_length + 1;
    for (int32_t k = body; k < cx.ntokens; ++k) {
        if (tok[k].kind != kTokString) continue;
        int64_t length;
        std::memcpy(&length, tok[k].constant, sizeof length);
        if (tok[k].value) words = (words + 3) & ~int64_t(3);
        words += length + 1;
    }
    if (2 * words > g_work.code_capacity) return kGrowCode;

    g_work.code[0] = 0;
    g_work.code[1] = 0;
    char16_t *w = reinterpret_cast<char16_t *>(g_work.code);
    int32_t pos = 1;
    if (name_length) std::memcpy(w + 1, token_text(cx, tok[cx.name_token]), size_t(name_length) * 2);
    pos += name_length;
    w[pos++] = 0;
    cx.first_string = pos;
    for (int32_t k = body; k < cx.ntokens; ++k) {
        Token &t = tok[k];
        if (t.kind != kTokString) continue;
        if (t.value) {
            while (pos % 4) w[pos++] = 0;
        }
        StringScan s;
        scan_string(cx.src, cx.src_len, t.first, w + pos, &s);
        int32_t start = pos;
        pos += int32_t(s.length);
        w[pos++] = 0;
        t.kind = kTokConstant;
        t.value = uint32_t(start);
        std::memset(t.constant, 0, sizeof t.constant);
        cx.type->from_index(t.constant, start);
    }
    cx.code_start = 2 * pos;
    return 0;
}

}  // namespace

int parse_header(CompileContext &cx) {
    HeaderParser h(cx);
    cx.free_var = 0;
    if (int r = h.name()) return r;
    if (int r = h.entries()) return r;
    if (int r = h.body_present()) return r;
    return write_string_area(cx);
}

}  // namespace tmx
