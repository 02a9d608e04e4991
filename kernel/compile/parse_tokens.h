// Helpers shared by the front passes: character classes, token text, and
// the one-sweep removal of deleted tokens.
#pragma once

#include <cstdint>

#include "context.h"

namespace tmx {

inline bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Identifiers start with a Latin letter, "_" or any code unit above 255 (a
// lone surrogate included: it is just a code unit here).
inline bool is_ident_start(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c > 255;
}
inline bool is_ident_char(char16_t c) { return is_ident_start(c) || is_digit(c); }

inline int32_t token_length(const Token &t) { return t.last - t.first + 1; }
inline const char16_t *token_text(const CompileContext &cx, const Token &t) {
    return cx.src + t.first;
}

// Tokens the compiler makes up ("( ) =" of a missing header) have no text:
// their last index lies before their first.
inline bool is_synthetic(const Token &t) { return t.last < t.first; }

bool same_text(const char16_t *a, int32_t alen, const char16_t *b, int32_t blen);
// Whether the token's text is exactly `word` (zero-terminated).
bool token_is(const CompileContext &cx, const Token &t, const char16_t *word);

// Stores a fresh token (value and constant zeroed).
inline void set_token(Token &t, uint16_t kind, int32_t first, int32_t last) {
    t = Token{};
    t.kind = kind;
    t.first = first;
    t.last = last;
}

// Removes the kTokDeleted tokens of tokens[from..to] in one sweep, keeping
// the order of the others; returns the number of tokens kept.
int32_t compact_tokens(Token *tokens, int32_t from, int32_t to);

// Keeps the body invariant after a pass deleted tokens: body_last and
// ntokens follow the compacted list (the body is the last thing in it).
void compact_body(CompileContext &cx);

}  // namespace tmx
