#include "output_forms.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace ide {
namespace {

std::u16string widen(const std::string &ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::string format_int(int64_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
    return buffer;
}

// printf's %g follows LC_NUMERIC; the editor's toolkit sets the locale from
// the environment, so the decimal point is put back by hand.
std::string format_real(double value) {
    if (std::isnan(value)) return "nan";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", value);
    std::string text = buffer;
    for (char &c : text)
        if (c == ',') c = '.';
    return text;
}

std::string format_complex(double re, double im) {
    std::string text = format_real(re);
    if (im == 0) return text;
    // "+" for a positive part and for NaN, whose own form carries no sign.
    if (!(im < 0)) text += '+';
    return text + format_real(im) + "i";
}

std::u16string output_form_int(int64_t value) { return u"\r\ni: " + widen(format_int(value)); }
std::u16string output_form_real(double value) { return u"\r\n" + widen(format_real(value)); }
std::u16string output_form_complex(double re, double im) {
    return u"\r\nc: " + widen(format_complex(re, im));
}

}  // namespace ide
