// The shape of what has been typed at the prompt: whether a bracket or a
// block comment is still open (then the prompt reads another line), and
// where its statements begin.  It follows the module compiler's own rules
// (nesting "/* */" comments, "//" to the line end, strings with "\"" escapes,
// statements ending at ";" outside strings and brackets), so the prompt
// splits a text exactly where the compiler will.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct EntryShape {
    // An opening bracket or "/*" is not closed yet.  A stray closing bracket
    // or "*/" does not keep the entry open: the compiler reports it.
    bool open = false;
    // The text with every comment overwritten by blanks (line ends kept), as
    // the compiler sees it; the same length as the typed text.
    std::u16string code;
    // Index of the first character of each statement in `code`.
    std::vector<size_t> statements;
};

EntryShape shape_of(std::u16string_view text);

}  // namespace cli
