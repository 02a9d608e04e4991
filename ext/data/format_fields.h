// Fields of a format string, shared by printff, printfs and scanfs: a "{"
// not followed by another "{" opens a field, the next "}" closes it, and in
// between stand, separated by commas, an argument number, a type word and
// an optional third part (printing: width and precision; scanning: count).
#pragma once

#include <cstddef>
#include <string_view>

namespace tmdata {

struct Field {
    int arg = 0;                 // the argument the field starts at
    std::u16string_view type;    // letters, then radix digits for "i2".."i36"
    std::u16string_view third;   // empty when absent
    size_t end = 0;              // index just after the "}"
};

// Parses the field whose "{" is at `open`; false when it is malformed or its
// argument number lies outside 0..lastArg.
bool parse_field(std::u16string_view format, size_t open, int lastArg, Field *field);

// True when the "{" at `i` opens a field ("{{" does not).
inline bool opens_field(std::u16string_view format, size_t i) {
    return format[i] == u'{' && !(i + 1 < format.size() && format[i + 1] == u'{');
}

// Decimal digits as a number, or -1 when not all digits or above `limit`.
long long decimal_value(std::u16string_view digits, long long limit);

}  // namespace tmdata
