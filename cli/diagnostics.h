// Compile errors as the host shows them: the text for the code, then where
// it happened with the offending source line underlined.
#pragma once

#include <string>

namespace cli {

// The text of a compile result code from -7 to 39 ("编译错误：..."), without
// line breaks; empty for any other code, which prints nothing.
std::string compile_error_text(int code);

struct SourcePosition {
    int line = 1;    // 1-based
    int column = 1;  // 1-based, in characters of the line
};

// Position of a character index; an index past the end gives the position
// just after the last character.
SourcePosition position_of(const std::u16string &source, size_t index);

// The whole report of a compile error:
//   编译错误：<text>
//   <name>:<L>:<C>: compile error <code> at <L>:<C>-<L>:<C>
//     <source line>
//     ^~~~
// first and last are character indices into source (last inclusive); they
// are clamped into the text, which the module compiler's end-of-text
// positions need.
std::string format_compile_error(const std::string &name, const std::u16string &source,
                                 int code, int first, int last);

}  // namespace cli
