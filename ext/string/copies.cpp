// Copying and appending strings: from another string array, from a literal
// of the calling formula, and between the two widths.  The destination grows
// to exactly the size the result needs when it is too small.
#include <cstring>

#include "formula_text.h"
#include "operations.h"
#include "string_array.h"
#include "utf8.h"

namespace strlib {

namespace {

// Codes of the array versions.
enum : int { kArrayResizeFailed = 3 };
// Codes of the literal versions.
enum : int { kBadLiteral = 3, kLiteralResizeFailed = 4 };

template <class Char>
constexpr Width width_of() {
    return sizeof(Char) == 1 ? Width::Byte : Width::Wide;
}

// Places n characters at position `at` of d, with the terminator after
// them, growing d to exactly at + n + 1 if needed.
template <class Char>
bool place(const Library &lib, StringArray &d, size_t at, const Char *text, size_t n) {
    if (!reserve_string(lib, d, int64_t(at) + int64_t(n) + 1)) return false;
    Char *out = elements<Char>(d);
    std::memmove(out + at, text, n * sizeof(Char));
    out[at + n] = 0;
    return true;
}

template <class Char>
int64_t copy_array(const Call &call, bool append) {
    StringArray d, s;
    ArrayCheck check = worse_check(
        find_string_array(call.lib, call.args.handle[0], width_of<Char>(), &d),
        find_string_array(call.lib, call.args.handle[1], width_of<Char>(), &s));
    if (check != kArrayOk) return call.fail(check);
    // A string copied or appended to itself stays as it is.
    if (call.args.handle[0] == call.args.handle[1]) return 1;
    const size_t at = append ? content_length<Char>(d) : 0;
    // The source is another array: growing d leaves it where it is.
    if (!place(call.lib, d, at, elements<Char>(s), content_length<Char>(s)))
        return call.fail(kArrayResizeFailed);
    return 1;
}

// The literal, in the destination's width: as it is for wide strings,
// converted to UTF-8 for byte strings.
template <class Char>
int64_t copy_literal(const Call &call, bool append) {
    StringArray d;
    if (ArrayCheck check = find_string_array(call.lib, call.args.handle[0], width_of<Char>(), &d))
        return call.fail(check);
    const StringArea area = caller_area(call.lib, call.ctx);
    const int64_t index = call.args.integer[1];
    if (!area.holds(index)) return call.fail(kBadLiteral);
    const char16_t *literal = area.words + index;
    const size_t n = area.length_at(index);
    const size_t at = append ? content_length<Char>(d) : 0;
    bool ok;
    if constexpr (sizeof(Char) == 2) {
        ok = place(call.lib, d, at, literal, n);
    } else {
        const size_t bytes = utf8_length_of(literal, n);
        ok = reserve_string(call.lib, d, int64_t(at) + int64_t(bytes) + 1);
        if (ok) {
            unsigned char *out = elements<unsigned char>(d);
            write_utf8(literal, n, out + at);
            out[at + bytes] = 0;
        }
    }
    return ok ? 1 : call.fail(kLiteralResizeFailed);
}

}  // namespace

int64_t op_strcpy(const Call &call) { return copy_array<unsigned char>(call, false); }
int64_t op_wcscpy(const Call &call) { return copy_array<char16_t>(call, false); }
int64_t op_strcat(const Call &call) { return copy_array<unsigned char>(call, true); }
int64_t op_wcscat(const Call &call) { return copy_array<char16_t>(call, true); }
int64_t op_strcpys(const Call &call) { return copy_literal<unsigned char>(call, false); }
int64_t op_wcscpys(const Call &call) { return copy_literal<char16_t>(call, false); }
int64_t op_strcats(const Call &call) { return copy_literal<unsigned char>(call, true); }
int64_t op_wcscats(const Call &call) { return copy_literal<char16_t>(call, true); }

// Conversions give the number of elements written, terminator included.
int64_t op_strtowcs(const Call &call) {
    StringArray b, w;
    ArrayCheck check =
        worse_check(find_string_array(call.lib, call.args.handle[0], Width::Byte, &b),
                    find_string_array(call.lib, call.args.handle[1], Width::Wide, &w));
    if (check != kArrayOk) return call.fail(check);
    const unsigned char *text = elements<unsigned char>(b);
    const size_t n = content_length<unsigned char>(b);
    const size_t units = utf16_length_of(text, n);
    if (!reserve_string(call.lib, w, int64_t(units) + 1)) return call.fail(kArrayResizeFailed);
    char16_t *out = elements<char16_t>(w);
    write_utf16(text, n, out);
    out[units] = 0;
    return int64_t(units) + 1;
}

int64_t op_wcstostr(const Call &call) {
    StringArray w, b;
    ArrayCheck check =
        worse_check(find_string_array(call.lib, call.args.handle[0], Width::Wide, &w),
                    find_string_array(call.lib, call.args.handle[1], Width::Byte, &b));
    if (check != kArrayOk) return call.fail(check);
    const char16_t *text = elements<char16_t>(w);
    const size_t n = content_length<char16_t>(w);
    const size_t bytes = utf8_length_of(text, n);
    if (!reserve_string(call.lib, b, int64_t(bytes) + 1)) return call.fail(kArrayResizeFailed);
    unsigned char *out = elements<unsigned char>(b);
    write_utf8(text, n, out);
    out[bytes] = 0;
    return int64_t(bytes) + 1;
}

}  // namespace strlib
