// Constant files named by "#INT", "#REAL" and "#COMPLEX": one definition
// "name = value" per line, the rest of the line ignored.  Lines whose first
// non-blank character cannot start a name are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ide {

// The SetConst type codes.
enum class ConstantType { Integer = 7, Real = 8, Complex = 9 };

struct ConstantDefinition {
    bool ok = false;
    std::u16string name;
    int64_t integer = 0;
    double re = 0, im = 0;
    // A bad definition: its text from the name up to where parsing stopped.
    std::u16string text;
};

// Integer values are the longest run of digits and '-' (a signed 64-bit
// decimal number); real values the longest run of digits, '+', '-', '.',
// 'E', 'e'; complex values two real values separated by ',' (optional
// spaces or tabs around it), real part first.  Numbers are read in the "C"
// convention whatever the locale.
std::vector<ConstantDefinition> parse_constants(std::u16string_view text, ConstantType type);

}  // namespace ide
