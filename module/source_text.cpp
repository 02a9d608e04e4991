#include "source_text.h"

namespace modlib {

size_t skip_string(const std::u16string &text, size_t quote) {
    size_t i = quote + 1;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c == u'"') return i + 1;
        i += c == u'\\' ? 2 : 1;
    }
    return text.size();
}

namespace {

void blank_out(std::u16string &text, size_t from, size_t to) {
    for (size_t k = from; k < to && k < text.size(); ++k) text[k] = u' ';
}

bool at(const std::u16string &text, size_t i, char16_t a, char16_t b) {
    return i + 1 < text.size() && text[i] == a && text[i + 1] == b;
}

// Blanks a "/*" block that opens at `open`, with its nested blocks; returns
// the index after its "*/", or npos when the text ends inside it.  Line ends
// inside stay as they are (they are blanks to the statement splitter anyway).
size_t remove_block(std::u16string &text, size_t open) {
    size_t depth = 1;
    text[open] = text[open + 1] = u' ';
    size_t i = open + 2;
    while (i < text.size()) {
        if (at(text, i, u'/', u'*')) {
            ++depth;
            text[i] = text[i + 1] = u' ';
            i += 2;
        } else if (at(text, i, u'*', u'/')) {
            text[i] = text[i + 1] = u' ';
            i += 2;
            if (--depth == 0) return i;
        } else {
            if (text[i] != u'\r' && text[i] != u'\n') text[i] = u' ';
            ++i;
        }
    }
    return std::u16string::npos;
}

size_t line_end(const std::u16string &text, size_t i) {
    while (i < text.size() && text[i] != u'\r' && text[i] != u'\n') ++i;
    return i;
}

}  // namespace

CommentCheck remove_comments(std::u16string &text) {
    size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c == u'"') {
            i = skip_string(text, i);
        } else if (at(text, i, u'/', u'/')) {
            size_t end = line_end(text, i);
            blank_out(text, i, end);
            i = end;
        } else if (at(text, i, u'/', u'*')) {
            size_t after = remove_block(text, i);
            if (after == std::u16string::npos) return {TM_CE_COMMENT_UNCLOSED, i, text.size() - 1};
            i = after;
        } else if (at(text, i, u'*', u'/')) {
            return {TM_CE_COMMENT_UNCLOSED, i, i + 1};
        } else {
            ++i;
        }
    }
    return {};
}

namespace {

char16_t closing_of(char16_t open) {
    switch (open) {
    case u'(': return u')';
    case u'[': return u']';
    case u'{': return u'}';
    default: return 0;
    }
}

bool is_closing(char16_t c) { return c == u')' || c == u']' || c == u'}'; }

// Index after the bracket that closes the one at `open` (same kind, nested
// ones of that kind counted, string literals skipped), or npos.
size_t skip_brackets(const std::u16string &text, size_t open) {
    const char16_t opening = text[open];
    const char16_t closing = closing_of(opening);
    size_t depth = 1;
    size_t i = open + 1;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c == u'"') {
            i = skip_string(text, i);
            continue;
        }
        if (c == opening) ++depth;
        if (c == closing && --depth == 0) return i + 1;
        ++i;
    }
    return std::u16string::npos;
}

}  // namespace

bool next_statement(const std::u16string &text, size_t &pos, Statement &out) {
    size_t i = pos;
    while (i < text.size() && (is_blank(text[i]) || text[i] == u';')) ++i;
    if (i >= text.size()) {
        pos = text.size();
        return false;
    }
    out.begin = i;
    while (i < text.size() && text[i] != u';') {
        char16_t c = text[i];
        if (c == u'"') {
            i = skip_string(text, i);
        } else if (closing_of(c)) {
            i = skip_brackets(text, i);
            if (i == std::u16string::npos) i = text.size();
        } else if (is_closing(c)) {
            i = text.size();
        } else {
            ++i;
        }
    }
    out.end = i;
    pos = i < text.size() ? i + 1 : i;
    return true;
}

size_t skip_blanks(const std::u16string &text, size_t pos, size_t end) {
    while (pos < end && is_blank(text[pos])) ++pos;
    return pos;
}

bool take_word(const std::u16string &text, size_t &pos, size_t end, std::u16string_view word) {
    if (end - pos < word.size() || text.compare(pos, word.size(), word) != 0) return false;
    pos = skip_blanks(text, pos + word.size(), end);
    return true;
}

}  // namespace modlib
