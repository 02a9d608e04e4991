// How results are written: 16 significant digits in general notation for
// reals, "i: " before integers, "c: " before complex values whose imaginary
// part is left out when it is 0.  Always in the "C" convention.
#pragma once

#include <cstdint>
#include <string>

namespace ide {

// "42" (no prefix)
std::string format_int(int64_t value);
// "0.1", "3.333333333333333", "1e+20"; NaN prints as "nan" whatever its sign.
std::string format_real(double value);
// "1+2i", "1-2i", "1" (no prefix)
std::string format_complex(double re, double im);

// The output window's forms: "\r\ni: 42", "\r\n0.5", "\r\nc: 1+2i".
std::u16string output_form_int(int64_t value);
std::u16string output_form_real(double value);
std::u16string output_form_complex(double re, double im);

}  // namespace ide
