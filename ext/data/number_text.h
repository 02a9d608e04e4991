// Numbers to and from text the way the conversion functions of the data
// library write and read them, independent of the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tmdata {

// General form with `digits` significant digits (the shorter of fixed and
// exponent notation).
std::u16string general_text(double value, int digits);
std::u16string decimal_text(int64_t value);
std::u16string unsigned_text(uint64_t value);

// Leading blanks, a sign and the longest number after them; 0 when there is
// none.  Integers saturate at the 64-bit or 32-bit range.
double parse_real(std::u16string_view text);
int64_t parse_int64(std::u16string_view text);
int32_t parse_int32(std::u16string_view text);

// A complex number: "3-4i", "2+i", "-i", "1e-5i", "7".
void parse_complex(std::u16string_view text, double *re, double *im);

}  // namespace tmdata
