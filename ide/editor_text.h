// The code window counts a line break as one character, while the text it
// hands out has "\r\n".  Every position that goes to or comes from the
// editor passes through these conversions.
#pragma once

#include <string>
#include <string_view>

namespace ide {

// The text as the editor counts it: every line feed removed.
std::u16string drop_line_feeds(std::u16string_view text);

// Editor position of a position in the text: the position less the line
// feeds before it.  Positions beyond the text count every line feed.
int editor_position(std::u16string_view text, int position);

}  // namespace ide
