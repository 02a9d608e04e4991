#include "text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

// Converts with iconv; false when the input is not valid in `from`.
bool convert(const char *to, const char *from, const char *in, size_t in_len,
             std::string &out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return false;
    out.clear();
    std::vector<char> buf(4096);
    char *src = const_cast<char *>(in);
    size_t left = in_len;
    bool ok = true;
    while (left > 0) {
        char *dst = buf.data();
        size_t room = buf.size();
        size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buf.data(), size_t(dst - buf.data()));
        if (rc == size_t(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

std::u16string bytes_to_u16(const std::string &le) {
    std::u16string s(le.size() / 2, u'\0');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = char16_t(uint8_t(le[2 * i]) | (uint8_t(le[2 * i + 1]) << 8));
    return s;
}

// Replaces unpaired surrogates so the strict converters accept the text.
std::u16string paired(const char16_t *p, size_t n) {
    std::u16string s(p, n);
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            s[i] = 0xFFFD;
        }
    }
    return s;
}

}  // namespace

std::string to_utf8(const std::u16string &text) {
    std::u16string s = paired(text.data(), text.size());
    std::string out;
    convert("UTF-8", "UTF-16LE", reinterpret_cast<const char *>(s.data()), s.size() * 2, out);
    return out;
}

std::string to_utf8(const char16_t *text) {
    if (!text) return {};
    return to_utf8(std::u16string(text));
}

std::u16string from_utf8(const std::string &text) {
    std::string out;
    if (convert("UTF-16LE", "UTF-8", text.data(), text.size(), out)) return bytes_to_u16(out);
    // Decode what is valid, one sequence at a time, and mark the rest.
    std::u16string result;
    size_t i = 0;
    while (i < text.size()) {
        size_t len = 1;
        unsigned char c = uint8_t(text[i]);
        if (c >= 0xF0) len = 4;
        else if (c >= 0xE0) len = 3;
        else if (c >= 0xC0) len = 2;
        if (i + len <= text.size() &&
            convert("UTF-16LE", "UTF-8", text.data() + i, len, out)) {
            result += bytes_to_u16(out);
            i += len;
        } else {
            result += u'\uFFFD';
            i += 1;
        }
    }
    return result;
}

std::u16string decode_text_file(const std::string &bytes, TextEncoding *encoding) {
    TextEncoding found = TextEncoding::Utf8;
    std::u16string text;
    std::string out;
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        found = TextEncoding::Utf16le;
        text = bytes_to_u16(bytes.substr(2));
    } else if (convert("UTF-16LE", "UTF-8", bytes.data(), bytes.size(), out)) {
        text = bytes_to_u16(out);
        if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    } else if (convert("UTF-16LE", "GB18030", bytes.data(), bytes.size(), out)) {
        found = TextEncoding::Gb18030;
        text = bytes_to_u16(out);
    } else {
        text = from_utf8(bytes);
    }
    if (encoding) *encoding = found;
    return text;
}

std::string encode_text_file(const std::u16string &text, TextEncoding encoding) {
    std::u16string s = paired(text.data(), text.size());
    const char *bytes = reinterpret_cast<const char *>(s.data());
    std::string out;
    switch (encoding) {
    case TextEncoding::Utf16le:
        out.reserve(2 + s.size() * 2);
        out += "\xFF\xFE";
        for (char16_t c : s) {
            out += char(c & 0xFF);
            out += char(c >> 8);
        }
        return out;
    case TextEncoding::Gb18030:
        if (convert("GB18030", "UTF-16LE", bytes, s.size() * 2, out)) return out;
        break;
    case TextEncoding::Utf8:
        break;
    }
    return to_utf8(s);
}

}  // namespace platform
