#include "number_literals.h"

#include <charconv>
#include <cstring>
#include <limits>

#include "parse_tokens.h"

namespace tmx {

namespace {

constexpr TmCompileResult kMalformed = TM_CE_BAD_NUMBER;

// A decimal literal reduced to what decides its double: value =
// 0.digits * 10^point.  A double's rounding boundaries have at most 767
// significant digits, so 800 digits plus one "sticky" nonzero digit standing
// for everything dropped round exactly like the whole literal.  This keeps
// the text handed to the converter short however long the literal is.
struct Decimal {
    static constexpr int kMaxDigits = 800;
    char digits[kMaxDigits + 1];
    int count = 0;
    bool sticky = false;
    int64_t point = 0;

    void add(char16_t c, bool before_point) {
        char d = char(c);
        if (count == 0 && d == '0') {
            if (!before_point) --point;
            return;
        }
        if (before_point) ++point;
        if (count < kMaxDigits) {
            digits[count++] = d;
        } else if (d != '0') {
            sticky = true;
        }
    }

    double value(int64_t exponent) {
        if (count == 0) return 0.0;
        if (sticky) digits[count++] = '1';
        int64_t e10 = point + exponent;
        constexpr int64_t kFar = 100000; // far beyond both ends of the range
        if (e10 > kFar) e10 = kFar;
        if (e10 < -kFar) e10 = -kFar;
        char text[kMaxDigits + 32];
        char *p = text;
        *p++ = '0';
        *p++ = '.';
        std::memcpy(p, digits, size_t(count));
        p += count;
        *p++ = 'e';
        p = std::to_chars(p, text + sizeof text, e10).ptr;
        double v = 0.0;
        std::from_chars_result r = std::from_chars(text, p, v);
        if (r.ec == std::errc::result_out_of_range) {
            v = e10 > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
        return v;
    }
};

bool is_upper_hex(char16_t c) { return is_digit(c) || (c >= u'A' && c <= u'F'); }

}  // namespace

TmCompileResult lex_real_number(const char16_t *src, int32_t start, int32_t *last, void *out) {
    Decimal dec;
    int32_t i = start;
    bool any_digit = false, seen_point = false;
    for (;; ++i) {
        char16_t c = src[i];
        if (is_digit(c)) {
            any_digit = true;
            dec.add(c, !seen_point);
        } else if (c == u'.') {
            if (seen_point) return *last = i, kMalformed;
            seen_point = true;
        } else {
            break;
        }
    }
    if (!any_digit) return *last = start, kMalformed;

    int64_t exponent = 0;
    if (src[i] == u'e' || src[i] == u'E') {
        ++i;
        bool negative = src[i] == u'-';
        if (src[i] == u'+' || src[i] == u'-') ++i;
        if (!is_digit(src[i])) return *last = i - 1, kMalformed;
        for (; is_digit(src[i]); ++i) {
            if (exponent < 1000000000) exponent = exponent * 10 + (src[i] - u'0');
        }
        if (negative) exponent = -exponent;
        if (src[i] == u'.') return *last = i, kMalformed;
    }
    *last = i - 1;
    double v = dec.value(exponent);
    std::memcpy(out, &v, sizeof v);
    return TM_CE_OK;
}

TmCompileResult lex_int_number(const char16_t *src, int32_t start, int32_t *last, void *out) {
    int32_t i = start;
    if (!is_digit(src[i])) return *last = start, kMalformed; // a lone "."
    uint64_t v = 0;
    if (src[i] == u'0' && src[i + 1] == u'x') {
        i += 2;
        if (!is_upper_hex(src[i])) return *last = i - 1, kMalformed;
        for (; is_upper_hex(src[i]); ++i) {
            v = v * 16 + uint64_t(is_digit(src[i]) ? src[i] - u'0' : src[i] - u'A' + 10);
        }
    } else {
        constexpr uint64_t kMax = uint64_t(std::numeric_limits<int64_t>::max());
        for (; is_digit(src[i]); ++i) {
            uint64_t d = uint64_t(src[i] - u'0');
            v = v > (kMax - d) / 10 ? kMax : v * 10 + d;
        }
    }
    *last = i - 1;
    int64_t value = int64_t(v);
    std::memcpy(out, &value, sizeof value);
    return TM_CE_OK;
}

}  // namespace tmx
