// Reading and writing the editor's text files, and the paths that name them.
// A failure comes back as the caption of the message the editor shows with
// the path as its text.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

namespace ide {

using platform::TextEncoding;

// Files beyond this size are refused instead of read until memory runs out.
constexpr size_t kMaxTextFileBytes = size_t(256) << 20;

struct TextFile {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Reads a whole file: FF FE -> UTF-16LE, else UTF-8, else GB18030.  The text
// ends at its first zero character, as the editor and the module compiler
// see it.  On failure *caption is "OpenTM：打开文件失败！" (also for a
// directory or a device), "OpenTM：检取文件大小失败！", "OpenTM：读文件失败！"
// or "内存分配失败！".
bool read_text_file(std::u16string_view path, TextFile &file, std::u16string *caption);

// Creates or truncates the file and writes the text in the encoding
// (UTF-16LE with its FF FE mark, UTF-8 without a mark, or GB18030).  On
// failure *caption is "OpenTM：创建文件失败！" or "OpenTM：写文件失败！".
bool write_text_file(std::u16string_view path, const std::u16string &text, TextEncoding encoding,
                     std::u16string *caption);

// The full path of a name: a name starting with '/' as it is, others after
// the current directory; "." and ".." and repeated '/' are resolved in the
// text (links are not followed).  Empty when the current directory cannot be
// read or the name is empty.
std::u16string full_path(std::u16string_view name);
// The directory of a path with its trailing '/', or "" for a bare name.
std::u16string directory_of(std::u16string_view path);
// The part after the last '/'.
std::u16string file_name_of(std::u16string_view path);
// Paths are compared ignoring the case of ASCII letters only.
bool same_path(std::u16string_view a, std::u16string_view b);
bool same_ascii_ignoring_case(std::u16string_view a, std::u16string_view b);

// The current directory with a trailing '/', and changing it; both in
// UTF-16 like every path of the editor.
std::u16string current_directory();
bool change_directory(std::u16string_view path);
// The directory of the running program with a trailing '/'.
std::u16string program_directory();

}  // namespace ide
