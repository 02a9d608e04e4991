// Numbers appended as text.  The destination reserves a fixed amount beyond
// its content, whatever the text's own length: 22 elements for an integer,
// 30 for a real, enough for the longest text of each with its terminator.
#include <charconv>
#include <cmath>
#include <limits>
#include <cstring>

#include "operations.h"
#include "string_array.h"

namespace strlib {

namespace {

enum : int { kResizeFailed = 3 };
constexpr int64_t kIntegerRoom = 22;
constexpr int64_t kRealRoom = 30;

struct NumberText {
    char chars[32];
    size_t length;
};

NumberText integer_text(int64_t value) {
    NumberText t;
    t.length = size_t(std::to_chars(t.chars, t.chars + sizeof t.chars, value).ptr - t.chars);
    return t;
}

// Ten significant digits in general form, fixed or exponent notation as
// gcvt chooses, in the "C" convention whatever the locale.  Not-a-number is
// "nan" whatever its sign bit, which depends on how it was made.
NumberText real_text(double value) {
    NumberText t;
    if (std::isnan(value)) value = std::numeric_limits<double>::quiet_NaN();
    auto end = std::to_chars(t.chars, t.chars + sizeof t.chars, value,
                             std::chars_format::general, 10).ptr;
    t.length = size_t(end - t.chars);
    return t;
}

template <class Char>
int64_t append_text(const Call &call, const NumberText &text, int64_t room) {
    StringArray d;
    const Width width = sizeof(Char) == 1 ? Width::Byte : Width::Wide;
    if (ArrayCheck check = find_string_array(call.lib, call.args.handle[0], width, &d))
        return call.fail(check);
    const size_t at = content_length<Char>(d);
    if (!reserve_string(call.lib, d, int64_t(at) + room)) return call.fail(kResizeFailed);
    Char *out = elements<Char>(d) + at;
    for (size_t i = 0; i < text.length; ++i) out[i] = Char((unsigned char)text.chars[i]);
    out[text.length] = 0;
    return 1;
}

}  // namespace

int64_t op_strcati(const Call &call) {
    return append_text<unsigned char>(call, integer_text(call.args.integer[1]), kIntegerRoom);
}
int64_t op_wcscati(const Call &call) {
    return append_text<char16_t>(call, integer_text(call.args.integer[1]), kIntegerRoom);
}
int64_t op_strcatr(const Call &call) {
    return append_text<unsigned char>(call, real_text(call.args.real[1]), kRealRoom);
}
int64_t op_wcscatr(const Call &call) {
    return append_text<char16_t>(call, real_text(call.args.real[1]), kRealRoom);
}

}  // namespace strlib
