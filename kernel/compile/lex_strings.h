// String literals.  One scanner serves twice: the lexer checks each literal
// and measures what it stores; the header pass, once the layout of the
// string area is known, decodes it again straight into the code array.
//
//   "..."   backslash escapes: \" \\ \a \b \f \n \r \t \v, \% (a zero
//           character), \& (nothing), \ddddd (exactly five decimal digits,
//           modulo 65536), \xHHHH (exactly four digits 0-9 A-F), \[n] (n
//           spaces)
//   @"..."  backslash is an ordinary character
//
// A literal whose text starts with \& is "aligned": it starts at a character
// index that is a multiple of 4 (8 bytes), and its \[n] stores 4n spaces, so
// the string can serve as a buffer of n doubles.
#pragma once

#include <cstdint>

#include "tamrix/compile_errors.h"

namespace tmx {

// Stored lengths are counted up to this bound and no further, so that an
// absurd \[n] can be measured (and refused) without overflow.
inline constexpr int64_t kStringLengthCap = int64_t(1) << 40;

struct StringScan {
    TmCompileResult error = TM_CE_OK; // or TM_CE_BAD_ESCAPE, TM_CE_UNCLOSED_STRING
    int32_t err_first = 0;     // error range
    int32_t err_last = 0;
    int32_t close = 0;         // index of the closing quote
    bool aligned = false;      // opened with \&
    int64_t length = 0;        // characters stored, at most kStringLengthCap
};

// Scans the literal whose first character ('"', or '@' before '"') is
// src[start]; src[src_len] is the terminating zero.  When `out` is not null
// the stored characters are written there too: the caller has measured the
// literal first and made room for `length` characters.
void scan_string(const char16_t *src, int32_t src_len, int32_t start, char16_t *out,
                 StringScan *result);

}  // namespace tmx
