#include "entry_rewrite.h"

namespace cli {
namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool take(const std::u16string &code, size_t &pos, std::u16string_view word) {
    if (code.compare(pos, word.size(), word) != 0) return false;
    pos += word.size();
    while (pos < code.size() && is_blank(code[pos])) ++pos;
    return true;
}

}  // namespace

PreparedEntry prepare_entry(std::u16string_view typed, const EntryShape &shape,
                            DefaultType default_type) {
    PreparedEntry entry;
    auto put = [&](std::u16string_view chars, size_t stands_for) {
        entry.text.append(chars);
        entry.typed_index.insert(entry.typed_index.end(), chars.size(), stands_for);
    };
    // The module compiler starts every text with real formulas.
    if (default_type == DefaultType::Integer) put(u"integer: ", 0);
    if (default_type == DefaultType::Complex) put(u"complex: ", 0);

    const std::u16string &code = shape.code;
    bool in_sub_module = false;
    size_t copied = 0;
    for (size_t start : shape.statements) {
        size_t pos = start;
        bool use = false;
        for (;;) {
            if (take(code, pos, u"#USE#")) {
                use = true;
                break;
            }
            if (take(code, pos, u"#MODULE#")) in_sub_module = true;
            else if (take(code, pos, u"#END#")) in_sub_module = false;
            else if (take(code, pos, u"integer:")) default_type = DefaultType::Integer;
            else if (take(code, pos, u"real:")) default_type = DefaultType::Real;
            else if (take(code, pos, u"complex:")) default_type = DefaultType::Complex;
            else break;
        }
        // A formula starts at pos unless the statement ended with its
        // directives.
        bool formula = !use && pos < code.size() && code[pos] != u';';
        if (!formula || in_sub_module || code[pos] == u'~') continue;
        for (; copied < pos; ++copied) put(typed.substr(copied, 1), copied);
        put(u"~", pos);
    }
    for (; copied < typed.size(); ++copied) put(typed.substr(copied, 1), copied);
    entry.default_type = default_type;
    return entry;
}

int typed_position(const PreparedEntry &entry, size_t typed_size, int position) {
    if (position < 0) return 0;
    if (size_t(position) >= entry.typed_index.size()) return int(typed_size);
    return int(entry.typed_index[size_t(position)]);
}

}  // namespace cli
