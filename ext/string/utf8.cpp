#include "utf8.h"

namespace strlib {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool is_high_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The code point at text[i], advancing i past it.
char32_t next_from_utf16(const char16_t *text, size_t n, size_t &i) {
    char32_t c = text[i++];
    if (is_high_surrogate(c) && i < n && is_low_surrogate(text[i]))
        return 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i++]) - 0xDC00);
    return is_high_surrogate(c) || is_low_surrogate(c) ? kReplacement : c;
}

// The code point at text[i], advancing i past it; an invalid sequence
// (overlong, a surrogate, beyond U+10FFFF, cut short) costs one byte.
char32_t next_from_utf8(const unsigned char *text, size_t n, size_t &i) {
    const unsigned char b = text[i];
    size_t len;
    char32_t c, min;
    if (b < 0x80) {
        ++i;
        return b;
    } else if (b >= 0xC2 && b <= 0xDF) {
        len = 2, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4, c = b & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (n - i < len) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < len; ++k) {
        if (!is_continuation(text[i + k])) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (text[i + k] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += len;
    return c;
}

size_t utf8_size(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

}  // namespace

size_t utf8_length_of(const char16_t *text, size_t n) {
    size_t total = 0;
    for (size_t i = 0; i < n;) total += utf8_size(next_from_utf16(text, n, i));
    return total;
}

void write_utf8(const char16_t *text, size_t n, unsigned char *out) {
    for (size_t i = 0; i < n;) {
        const char32_t c = next_from_utf16(text, n, i);
        const size_t len = utf8_size(c);
        if (len == 1) {
            *out++ = (unsigned char)c;
            continue;
        }
        static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (size_t k = len - 1; k > 0; --k)
            out[k] = (unsigned char)(0x80 | ((c >> (6 * (len - 1 - k))) & 0x3F));
        out[0] = (unsigned char)(kLead[len] | (c >> (6 * (len - 1))));
        out += len;
    }
}

size_t utf16_length_of(const unsigned char *text, size_t n) {
    size_t total = 0;
    for (size_t i = 0; i < n;) total += next_from_utf8(text, n, i) >= 0x10000 ? 2 : 1;
    return total;
}

void write_utf16(const unsigned char *text, size_t n, char16_t *out) {
    for (size_t i = 0; i < n;) {
        const char32_t c = next_from_utf8(text, n, i);
        if (c < 0x10000) {
            *out++ = char16_t(c);
            continue;
        }
        *out++ = char16_t(0xD800 + ((c - 0x10000) >> 10));
        *out++ = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

}  // namespace strlib
