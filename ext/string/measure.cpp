// Comparing strings, their lengths, and setting a string's capacity.
#include "operations.h"
#include "string_array.h"

namespace strlib {

namespace {

enum : int { kSetLengthRefused = 3 };

template <class Char>
constexpr Width width_of() {
    return sizeof(Char) == 1 ? Width::Byte : Width::Wide;
}

// Element by element as unsigned values: Char is unsigned in both widths.
template <class Char>
int64_t compare(const Call &call) {
    StringArray a, b;
    ArrayCheck check =
        worse_check(find_string_array(call.lib, call.args.handle[0], width_of<Char>(), &a),
                    find_string_array(call.lib, call.args.handle[1], width_of<Char>(), &b));
    if (check != kArrayOk) return call.fail(check);
    const Char *p = elements<Char>(a);
    const Char *q = elements<Char>(b);
    for (;; ++p, ++q) {
        if (*p != *q) return *p < *q ? -1 : 1;
        if (*p == 0) return 0;
    }
}

template <class Char>
int64_t length(const Call &call) {
    StringArray s;
    if (ArrayCheck check = find_string_array(call.lib, call.args.handle[0], width_of<Char>(), &s))
        return call.fail(check);
    return int64_t(content_length<Char>(s));
}

}  // namespace

int64_t op_strcmp(const Call &call) { return compare<unsigned char>(call); }
int64_t op_wcscmp(const Call &call) { return compare<char16_t>(call); }
int64_t op_strlen(const Call &call) { return length<unsigned char>(call); }
int64_t op_wcslen(const Call &call) { return length<char16_t>(call); }

// A capacity below 1 would leave no room for the terminator: refused, and
// the string stays as it was.
int64_t op_setstrlen(const Call &call) {
    StringArray s;
    if (ArrayCheck check = find_string_array(call.lib, call.args.handle[0], Width::Either, &s))
        return call.fail(check);
    const int64_t n = call.args.integer[1];
    if (n == s.capacity) return 1;
    if (!resize_string(call.lib, s, n)) return call.fail(kSetLengthRefused);
    return 1;
}

}  // namespace strlib
