// The source text of a module as the module compiler reads it: comments,
// string literals and statements.  Pure text work, no kernel.
#pragma once

#include <cstddef>
#include <string>

#include "tamrix/compile_errors.h"

namespace modlib {

inline bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Index just after the string literal whose opening quote is at `quote`, or
// the text's length when it is not closed.  A backslash takes the next
// character with it, as the formula lexer reads escapes, so "\"" and "\\"
// both stay inside one literal.
size_t skip_string(const std::u16string &text, size_t quote);

// Result of comment removal: TM_CE_OK, or TM_CE_COMMENT_UNCLOSED with the
// offending range (inclusive).
struct CommentCheck {
    TmCompileResult code = TM_CE_OK;
    size_t errorStart = 0;
    size_t errorEnd = 0;
};

// Overwrites comments with blanks so that every other character keeps its
// index: "//" up to the line end (which stays), "/*" ... "*/" blocks, which
// nest.  String literals are not looked into.  A "*/" outside any block, or
// a block still open at the end, is an error (TM_CE_COMMENT_UNCLOSED): the range is the stray
// "*/", or from the outermost open "/*" to the last character.
CommentCheck remove_comments(std::u16string &text);

// One statement: [begin, end), end being the index of its ';' or the
// text's length.
struct Statement {
    size_t begin = 0;
    size_t end = 0;
};

// Finds the statement that starts at or after `pos`: blanks and ';' are
// skipped, then the statement runs to the next ';' outside string literals
// and bracket pairs.  "(", "[" and "{" are each matched with their own kind
// only; a bracket without its partner makes the statement run to the end of
// the text (the formula compiler then reports it).  False when only blanks
// and ';' remain.  `pos` moves past the statement.
bool next_statement(const std::u16string &text, size_t &pos, Statement &out);

// Skips blanks from pos up to end.
size_t skip_blanks(const std::u16string &text, size_t pos, size_t end);

// True when text[pos, end) starts with word; pos then moves past it and the
// blanks after it.
bool take_word(const std::u16string &text, size_t &pos, size_t end, std::u16string_view word);

}  // namespace modlib
