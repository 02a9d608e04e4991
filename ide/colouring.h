// The code window's syntax colouring as ranges over the text without line
// feeds (the editor's own positions).  One pass from the start:
// - "//", also inside a block comment, is a comment to the line end (the
//   next carriage return), where the scan resumes, so a "*/" later on that
//   line is not seen;
// - "/*" ... "*/" nest; the outermost pair and everything between is one
//   comment; a "*/" that closes more than was opened makes everything from
//   the start of the text up to it a comment and ends the scan; a comment
//   still open at the end runs to the end;
// - outside comments a string runs from '"' to the next '"' not preceded by
//   a backslash, quotes included; an unterminated one runs to the end;
// - outside comments a word (letter, '_' or a character above 255, then
//   those and digits) that equals a keyword is a keyword, with a '#' right
//   before it, and when there is one, also a '#' right after it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ide {

enum class Colour { Comment, String, Keyword };

// Colours: comments green, strings magenta, keywords blue (0x00BBGGRR).
constexpr unsigned kCommentColour = 0x008000;
constexpr unsigned kStringColour = 0xFF00FF;
constexpr unsigned kKeywordColour = 0xFF0000;

struct ColourRange {
    int start;  // first character
    int end;    // one past the last
    Colour colour;
    bool operator==(const ColourRange &) const = default;
};

// `text` has no line feeds; keywords match exactly (case-sensitive).
std::vector<ColourRange> colour_ranges(std::u16string_view text,
                                       const std::vector<std::u16string> &keywords);

}  // namespace ide
