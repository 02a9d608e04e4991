// Number literals of the three compilers (TypeDesc::lex_number).
//
// Each reads the literal that starts at src[start] (a digit, or a "." that
// opens a number), stores its value in `out` and the index of its last
// character in *last, and returns 0; or returns compile error 17 with *last
// at the end of what was read.  The source must end with a zero character.
#pragma once

#include <cstdint>

#include "tamrix/compile_errors.h"

namespace tmx {

// Real (and complex real part): digits with at most one ".", optionally
// "e"/"E", a sign and at least one digit; correctly rounded to a double
// (8 bytes).  Values too large become infinity, too small zero.
TmCompileResult lex_real_number(const char16_t *src, int32_t start, int32_t *last, void *out);

// Integer: decimal digits, saturated to the largest 64-bit integer, or "0x"
// and at least one of 0-9 A-F with 64-bit wrap-around (8 bytes).
TmCompileResult lex_int_number(const char16_t *src, int32_t start, int32_t *last, void *out);

}  // namespace tmx
