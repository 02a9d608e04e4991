// Brackets: in the body "(", "[" and "{" pair with their own closing kind;
// afterwards all of them are plain round brackets, ":" is ",", and the body
// is wrapped in one more pair, so that code generation sees a single
// bracketed comma list.
#include <cstring>

#include "parse_tokens.h"

namespace tmx {

namespace {

uint16_t closer_of(uint16_t open) {
    switch (open) {
    case kTokOpen: return kTokClose;
    case kTokOpenSquare: return kTokCloseSquare;
    default: return kTokCloseCurly;
    }
}

bool is_open(uint16_t k) { return k == kTokOpen || k == kTokOpenSquare || k == kTokOpenCurly; }
bool is_close(uint16_t k) {
    return k == kTokClose || k == kTokCloseSquare || k == kTokCloseCurly;
}

// Pairs the brackets of tokens[first..last] with a stack of open-bracket
// kinds and positions, and makes them round.
int pair_brackets(CompileContext &cx, int32_t first, int32_t last) {
    Token *tok = cx.tokens();
    char16_t *kinds = g_work.bracket_chars;
    int32_t *where = g_work.bracket_positions;
    int32_t depth = 0;
    for (int32_t k = first; k <= last; ++k) {
        Token &t = tok[k];
        if (t.kind == kTokColon) {
            t.kind = kTokComma;
        } else if (is_open(t.kind)) {
            if (depth >= g_work.token_capacity) return kGrowTokens;
            kinds[depth] = char16_t(t.kind);
            where[depth++] = k;
            t.kind = kTokOpen;
        } else if (is_close(t.kind)) {
            if (depth == 0) return cx.fail(TM_CE_BRACKETS, t.first, t.last);
            --depth;
            if (t.kind != closer_of(kinds[depth])) return cx.fail(TM_CE_BRACKETS, tok[where[depth]].first, t.last);
            t.kind = kTokClose;
        }
    }
    if (depth > 0) return cx.fail(TM_CE_BRACKETS, tok[where[depth - 1]].first, tok[last].last);
    return 0;
}

}  // namespace

int match_brackets(CompileContext &cx) {
    Token *tok = cx.tokens();
    int32_t first = cx.header_close + 2;
    int32_t last = cx.ntokens - 1;
    if (int r = pair_brackets(cx, first, last)) return r;
    if (cx.ntokens + 2 > g_work.token_capacity) return kGrowTokens;

    // The wrapping "(" stands where the "=" is (or, without a header, at the
    // body's first character); the ")" at the body's last character.  Error
    // ranges that name them then point at real text.
    const Token &eq = tok[first - 1];
    int32_t open_at = is_synthetic(eq) ? tok[first].first : eq.first;
    int32_t close_at = tok[last].last;
    std::memmove(tok + first + 1, tok + first, size_t(last - first + 1) * sizeof(Token));
    set_token(tok[first], kTokOpen, open_at, open_at);
    set_token(tok[last + 2], kTokClose, close_at, close_at);
    cx.ntokens += 2;
    cx.body_first = first;
    cx.body_last = last + 2;
    return 0;
}

}  // namespace tmx
