#include "number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

namespace tmdata {

namespace {

std::u16string widen_ascii(const char *s) {
    std::u16string out;
    for (; *s; ++s) out += char16_t(static_cast<unsigned char>(*s));
    return out;
}

bool is_blank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The text after leading blanks, narrowed to ASCII up to the first character
// that cannot belong to a number.
std::string number_chars(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    std::string out;
    for (; i < text.size() && text[i] != 0 && text[i] < 0x80; ++i) out += char(text[i]);
    return out;
}

// Sign and digits of a decimal integer; false when there are no digits.
bool integer_parts(std::u16string_view text, bool *negative, std::string *digits) {
    size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    *negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) *negative = text[i++] == u'-';
    for (; i < text.size() && is_digit(text[i]); ++i) *digits += char(text[i]);
    return !digits->empty();
}

}  // namespace

// As "%.*g" prints it, but always with a decimal point: printf follows
// LC_NUMERIC, which a host such as the editor takes from the environment.
std::u16string general_text(double value, int digits) {
    char buffer[128];
    const int precision = digits < 0 ? 6 : digits == 0 ? 1 : digits;
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer - 1, value,
                                   std::chars_format::general, precision);
    *(ec == std::errc() ? end : buffer) = '\0';
    return widen_ascii(buffer);
}

std::u16string decimal_text(int64_t value) { return widen_ascii(std::to_string(value).c_str()); }
std::u16string unsigned_text(uint64_t value) { return widen_ascii(std::to_string(value).c_str()); }

double parse_real(std::u16string_view text) {
    std::string chars = number_chars(text);
    const char *begin = chars.data();
    const char *end = begin + chars.size();
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-')) negative = *begin++ == '-';
    double value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ptr == begin) return 0;
    if (ec == std::errc::result_out_of_range) {
        // Overflow gives infinity, underflow 0, as a C conversion would.
        bool tiny = false;
        for (const char *p = begin; p < ptr; ++p) {
            if (*p == 'e' || *p == 'E') tiny = p + 1 < ptr && p[1] == '-';
        }
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

int64_t parse_int64(std::u16string_view text) {
    bool negative;
    std::string digits;
    if (!integer_parts(text, &negative, &digits)) return 0;
    uint64_t magnitude = 0;
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    for (char d : digits) {
        if (magnitude > (limit - uint64_t(d - '0')) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + uint64_t(d - '0');
    }
    return negative ? int64_t(0 - magnitude) : int64_t(magnitude);
}

int32_t parse_int32(std::u16string_view text) {
    int64_t v = parse_int64(text);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
}

void parse_complex(std::u16string_view text, double *re, double *im) {
    size_t split = std::u16string_view::npos;  // the sign between the parts
    size_t firstSign = std::u16string_view::npos;
    bool sawDigit = false;
    size_t end = 0;
    for (; end < text.size() && text[end] != 0; ++end) {
        const char16_t c = text[end];
        if (is_digit(c) || c == u'.') {
            sawDigit = true;
        } else if (c == u'+' || c == u'-') {
            if (end > 0 && (text[end - 1] == u'e' || text[end - 1] == u'E')) continue;
            if (firstSign == std::u16string_view::npos) firstSign = end;
            if (sawDigit && split == std::u16string_view::npos) split = end;
        } else if (c == u'i' || c == u'I') {
            break;
        }
    }
    if (end == text.size() || text[end] == 0) {  // no "i": all real
        *re = parse_real(text.substr(0, end));
        *im = 0;
        return;
    }
    auto has_digit = [](std::u16string_view part) {
        for (char16_t c : part) {
            if (is_digit(c)) return true;
        }
        return false;
    };
    std::u16string_view imaginary;
    if (split != std::u16string_view::npos) {
        *re = parse_real(text.substr(0, split));
        imaginary = text.substr(split, end - split);
        *im = has_digit(imaginary.substr(1)) ? parse_real(imaginary)
                                             : (imaginary[0] == u'-' ? -1.0 : 1.0);
        return;
    }
    *re = 0;
    imaginary = text.substr(0, end);
    if (has_digit(imaginary)) {
        *im = parse_real(imaginary);
    } else {
        *im = firstSign != std::u16string_view::npos && text[firstSign] == u'-' ? -1.0 : 1.0;
    }
}

}  // namespace tmdata
