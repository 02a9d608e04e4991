// Text conversions at the edges of the system: interfaces speak UTF-16,
// terminals and files speak UTF-8 (or, for files from the original platform,
// UTF-16LE with a byte-order mark or GB18030).
#pragma once

#include <string>

namespace platform {

// UTF-16 -> UTF-8.  Unpaired surrogates become U+FFFD.
std::string to_utf8(const std::u16string &text);
std::string to_utf8(const char16_t *text);
// UTF-8 -> UTF-16.  Invalid sequences become U+FFFD.
std::u16string from_utf8(const std::string &text);

// Decodes a text file's bytes: FF FE -> UTF-16LE; else UTF-8 when valid; else
// GB18030.
std::u16string decode_text_file(const std::string &bytes);

}  // namespace platform
