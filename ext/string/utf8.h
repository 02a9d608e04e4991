// Conversion between byte strings in the ANSI code page, which is UTF-8
// here, and UTF-16.  Nothing is dropped: an unpaired surrogate and every
// byte that does not start a valid UTF-8 sequence become U+FFFD.  Each
// direction measures first (so the destination can be sized exactly) and
// then writes.
#pragma once

#include <cstddef>

namespace strlib {

size_t utf8_length_of(const char16_t *text, size_t n);
// Writes utf8_length_of(text, n) bytes.
void write_utf8(const char16_t *text, size_t n, unsigned char *out);

size_t utf16_length_of(const unsigned char *text, size_t n);
// Writes utf16_length_of(text, n) units.
void write_utf16(const unsigned char *text, size_t n, char16_t *out);

}  // namespace strlib
