#include "entry_scan.h"

namespace cli {
namespace {

constexpr size_t kNone = std::u16string::npos;

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool pair_at(const std::u16string &text, size_t i, char16_t a, char16_t b) {
    return i + 1 < text.size() && text[i] == a && text[i + 1] == b;
}

// Index after the string literal opening at `quote`; the text's end when it
// is never closed.
size_t skip_string(const std::u16string &text, size_t quote) {
    size_t i = quote + 1;
    while (i < text.size()) {
        if (text[i] == u'"') return i + 1;
        i += text[i] == u'\\' ? 2 : 1;
    }
    return text.size();
}

// Blanks the comments of `code`; true when a "/*" is left open at the end.
bool blank_comments(std::u16string &code) {
    size_t i = 0;
    while (i < code.size()) {
        if (code[i] == u'"') {
            i = skip_string(code, i);
        } else if (pair_at(code, i, u'/', u'/')) {
            for (; i < code.size() && code[i] != u'\n' && code[i] != u'\r'; ++i) code[i] = u' ';
        } else if (pair_at(code, i, u'/', u'*')) {
            size_t depth = 0;
            do {
                if (pair_at(code, i, u'/', u'*') || pair_at(code, i, u'*', u'/')) {
                    depth += code[i] == u'/' ? 1 : -1;
                    code[i] = code[i + 1] = u' ';
                    i += 2;
                } else {
                    if (code[i] != u'\n' && code[i] != u'\r') code[i] = u' ';
                    ++i;
                }
            } while (depth > 0 && i < code.size());
            if (depth > 0) return true;
        } else if (pair_at(code, i, u'*', u'/')) {
            return false;  // stray: the compiler refuses the text
        } else {
            ++i;
        }
    }
    return false;
}

char16_t closing_of(char16_t c) {
    return c == u'(' ? u')' : c == u'[' ? u']' : c == u'{' ? u'}' : 0;
}

// Index after the bracket closing the one at `open` (only brackets of its
// own kind nest, strings skipped), or kNone when the text ends first.
size_t skip_brackets(const std::u16string &code, size_t open) {
    const char16_t opening = code[open], closing = closing_of(opening);
    size_t depth = 1;
    for (size_t i = open + 1; i < code.size();) {
        if (code[i] == u'"') {
            i = skip_string(code, i);
            continue;
        }
        if (code[i] == opening) ++depth;
        if (code[i] == closing && --depth == 0) return i + 1;
        ++i;
    }
    return kNone;
}

}  // namespace

EntryShape shape_of(std::u16string_view text) {
    EntryShape shape;
    shape.code.assign(text);
    std::u16string &code = shape.code;
    shape.open = blank_comments(code);
    size_t i = 0;
    for (;;) {
        while (i < code.size() && (is_blank(code[i]) || code[i] == u';')) ++i;
        if (i >= code.size()) break;
        shape.statements.push_back(i);
        while (i < code.size() && code[i] != u';') {
            if (code[i] == u'"') {
                i = skip_string(code, i);
            } else if (closing_of(code[i])) {
                i = skip_brackets(code, i);
                if (i == kNone) {
                    shape.open = true;
                    i = code.size();
                }
            } else if (code[i] == u')' || code[i] == u']' || code[i] == u'}') {
                i = code.size();  // a stray bracket runs the statement to the end
            } else {
                ++i;
            }
        }
    }
    return shape;
}

}  // namespace cli
