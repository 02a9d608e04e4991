#include "parse_tokens.h"

#include <cstring>

namespace tmx {

bool same_text(const char16_t *a, int32_t alen, const char16_t *b, int32_t blen) {
    return alen == blen && std::memcmp(a, b, size_t(alen) * sizeof(char16_t)) == 0;
}

bool token_is(const CompileContext &cx, const Token &t, const char16_t *word) {
    const char16_t *text = token_text(cx, t);
    int32_t len = token_length(t);
    int32_t i = 0;
    for (; i < len; ++i) {
        if (word[i] == 0 || word[i] != text[i]) return false;
    }
    return word[i] == 0;
}

int32_t compact_tokens(Token *tokens, int32_t from, int32_t to) {
    int32_t kept = from;
    for (int32_t i = from; i <= to; ++i) {
        if (tokens[i].kind == kTokDeleted) continue;
        if (kept != i) tokens[kept] = tokens[i];
        ++kept;
    }
    return kept - from;
}

void compact_body(CompileContext &cx) {
    int32_t kept = compact_tokens(cx.tokens(), cx.body_first, cx.body_last);
    cx.body_last = cx.body_first + kept - 1;
    cx.ntokens = cx.body_last + 1;
}

}  // namespace tmx
