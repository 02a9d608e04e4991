// The words of a parameter text, read the way a POSIX shell reads words but
// without any of its expansions: blanks separate words; '...' keeps
// everything literally; "..." keeps everything but \" \\ \$ \` (a backslash
// before anything else stays); a backslash outside quotes keeps the next
// character.  $, ;, |, *, ~ and the like are ordinary characters, so no text
// ever names a command or a variable.  An unclosed quote ends at the text's
// end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace syslib {

std::vector<std::string> command_words(std::string_view text);

}  // namespace syslib
