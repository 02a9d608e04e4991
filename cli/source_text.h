// Reading program texts: files, standard input, and the paths around them.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// Larger inputs are refused rather than read until memory runs out (a
// device such as /dev/zero never ends).
constexpr size_t kMaxSourceBytes = size_t(256) << 20;

// Reads a whole regular file or stream; false with the reason in *why.
bool read_file_bytes(const std::string &path, std::string &bytes, std::string *why);
bool read_stream_bytes(std::FILE *stream, std::string &bytes, std::string *why);

// The directory part of a path ("" for a bare name: the current directory).
std::string directory_of(const std::string &path);
// A name taken relative to a directory ("" = the current directory); names
// starting with '/' stay as they are.
std::string join_path(const std::string &directory, const std::string &name);
// The path with every link and "." or ".." resolved, or "" when it does not
// exist; two names of one file give the same canonical path.
std::string canonical_path(const std::string &path);

// Index of the first NUL character, or npos.  The module compiler reads its
// source up to a NUL, so the host refuses such a text instead of silently
// compiling only its beginning.
size_t find_nul(const std::u16string &text);

}  // namespace cli
