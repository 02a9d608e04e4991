#include "lex_strings.h"

#include "parse_tokens.h"

namespace tmx {

namespace {

// Collects the stored characters: counts them (saturating) and, when there
// is an output buffer, writes them.
struct StringSink {
    char16_t *out;
    int64_t length = 0;

    void put(char16_t c) {
        if (out) out[length] = c;
        if (length < kStringLengthCap) ++length;
    }
    void spaces(int64_t count) {
        if (out) {
            for (int64_t k = 0; k < count; ++k) out[length + k] = u' ';
        }
        length = length + count < kStringLengthCap ? length + count : kStringLengthCap;
    }
};

bool is_upper_hex(char16_t c) { return is_digit(c) || (c >= u'A' && c <= u'F'); }

int hex_value(char16_t c) { return is_digit(c) ? c - u'0' : c - u'A' + 10; }

// Character stored by a one-letter escape, or -1.
int simple_escape(char16_t c) {
    switch (c) {
    case u'"': return u'"';
    case u'\\': return u'\\';
    case u'a': return 7;
    case u'b': return 8;
    case u'f': return 12;
    case u'n': return 10;
    case u'r': return 13;
    case u't': return 9;
    case u'v': return 11;
    case u'%': return 0;
    default: return -1;
    }
}

struct Scanner {
    const char16_t *src;
    int32_t len;
    int32_t quote;  // index of the opening quote
    StringSink sink;
    StringScan *res;

    // Error 6: the source ends inside the literal.
    void unclosed() {
        res->error = TM_CE_UNCLOSED_STRING;
        res->err_first = quote;
        res->err_last = len - 1;
    }
    void bad_escape(int32_t backslash, int32_t last) {
        res->error = TM_CE_BAD_ESCAPE;
        res->err_first = backslash;
        res->err_last = last;
    }

    // Reads the escape whose backslash is at src[bs]; returns the index after
    // it, or -1 after recording an error.
    int32_t escape(int32_t bs) {
        int32_t i = bs + 1;
        if (i >= len) return unclosed(), -1;
        char16_t c = src[i];
        if (int stored = simple_escape(c); stored >= 0) {
            sink.put(char16_t(stored));
            return i + 1;
        }
        if (c == u'&') return i + 1;
        if (is_digit(c)) return decimal_code(bs, i);
        if (c == u'x') return hex_code(bs, i);
        if (c == u'[') return bracket_spaces(bs, i);
        bad_escape(bs, i);
        return -1;
    }

    int32_t decimal_code(int32_t bs, int32_t i) {
        uint32_t code = 0;
        for (int32_t k = 0; k < 5; ++k) {
            if (i + k >= len) return unclosed(), -1;
            if (!is_digit(src[i + k])) return bad_escape(bs, i + k - 1), -1;
            code = code * 10 + uint32_t(src[i + k] - u'0');
        }
        sink.put(char16_t(code % 65536));
        return i + 5;
    }

    int32_t hex_code(int32_t bs, int32_t x) {
        uint32_t code = 0;
        for (int32_t k = 1; k <= 4; ++k) {
            if (x + k >= len) return unclosed(), -1;
            if (!is_upper_hex(src[x + k])) return bad_escape(bs, x + k - 1), -1;
            code = code * 16 + uint32_t(hex_value(src[x + k]));
        }
        sink.put(char16_t(code));
        return x + 5;
    }

    int32_t bracket_spaces(int32_t bs, int32_t open) {
        // Counts beyond the cap are refused later anyway (error 39); stop
        // accumulating so that any run of digits is read in linear time.
        int64_t n = 0;
        int32_t j = open + 1;
        for (; j < len && is_digit(src[j]); ++j) {
            if (n < kStringLengthCap) n = n * 10 + (src[j] - u'0');
        }
        if (j >= len) return unclosed(), -1;
        if (j == open + 1 || src[j] != u']') return bad_escape(bs, j - 1), -1;
        if (n > kStringLengthCap) n = kStringLengthCap;
        sink.spaces(res->aligned ? 4 * n : n);
        return j + 1;
    }
};

}  // namespace

void scan_string(const char16_t *src, int32_t src_len, int32_t start, char16_t *out,
                 StringScan *result) {
    *result = StringScan{};
    bool verbatim = src[start] == u'@';
    int32_t quote = verbatim ? start + 1 : start;
    Scanner s{src, src_len, quote, StringSink{out}, result};
    int32_t i = quote + 1;
    result->aligned = !verbatim && i + 1 < src_len && src[i] == u'\\' && src[i + 1] == u'&';
    for (;;) {
        if (i >= src_len) return s.unclosed();
        char16_t c = src[i];
        if (c == u'"') break;
        if (c != u'\\' || verbatim) {
            s.sink.put(c);
            ++i;
            continue;
        }
        i = s.escape(i);
        if (i < 0) return;
    }
    result->close = i;
    result->length = s.sink.length;
}

}  // namespace tmx
