#include "format_fields.h"

namespace tmdata {

namespace {

bool is_space(char16_t c) { return c == u' ' || c == u'\t'; }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

long long decimal_value(std::u16string_view digits, long long limit) {
    if (digits.empty()) return -1;
    long long value = 0;
    for (char16_t c : digits) {
        if (!is_digit(c)) return -1;
        value = value * 10 + (c - u'0');
        if (value > limit) return -1;
    }
    return value;
}

bool parse_field(std::u16string_view format, size_t open, int lastArg, Field *field) {
    const size_t close = format.find(u'}', open + 1);
    if (close == std::u16string_view::npos) return false;
    std::u16string_view inside = format.substr(open + 1, close - open - 1);
    std::u16string_view parts[3];
    int count = 0;
    for (;;) {
        const size_t comma = inside.find(u',');
        if (count == 3) return false;
        parts[count++] = trim(inside.substr(0, comma));
        if (comma == std::u16string_view::npos) break;
        inside.remove_prefix(comma + 1);
    }
    if (count < 2) return false;
    const long long arg = decimal_value(parts[0], lastArg);
    if (arg < 0) return false;
    std::u16string_view type = parts[1];
    size_t letters = 0;
    while (letters < type.size() && is_letter(type[letters])) ++letters;
    if (letters == 0) return false;
    for (size_t i = letters; i < type.size(); ++i) {
        if (!is_digit(type[i])) return false;
    }
    field->arg = int(arg);
    field->type = type;
    field->third = count == 3 ? parts[2] : std::u16string_view();
    if (count == 3 && field->third.empty()) return false;
    field->end = close + 1;
    return true;
}

}  // namespace tmdata
