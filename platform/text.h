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

// The encodings a text file is read in, so that saving it keeps its own.
enum class TextEncoding { Utf8, Utf16le, Gb18030 };

// Decodes a text file's bytes: FF FE -> UTF-16LE; else UTF-8 when valid; else
// GB18030.  *encoding (when given) receives what was found.
std::u16string decode_text_file(const std::string &bytes, TextEncoding *encoding = nullptr);
// The bytes of a text in an encoding: UTF-16LE with FF FE, UTF-8 without a
// byte-order mark, or GB18030.
std::string encode_text_file(const std::u16string &text, TextEncoding encoding);

}  // namespace platform
