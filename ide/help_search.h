// The function-help search: which help texts hold every keyword.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ide {

// The keyword text as the search uses it: at most 260 characters, ASCII
// letters in upper case.
std::u16string normalise_keywords(std::u16string_view input);
// The keywords of a normalised text, split at tabs, line feeds, carriage
// returns and spaces.
std::vector<std::u16string> split_keywords(std::u16string_view keywords);
// True when every keyword occurs in the text, a text character matching
// exactly or as the upper case of an ASCII lower-case letter.  No keywords:
// every text matches.
bool help_text_matches(const std::vector<std::u16string> &keywords, std::u16string_view text);

}  // namespace ide
