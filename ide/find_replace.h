// Find and replace over the code window's text without line feeds (the
// editor's positions).  Characters match exactly or, without match case,
// as the same ASCII letter in either case.  With whole word the characters
// around a match (where there are any) must be tab, line feed, carriage
// return or space.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ide {

struct SearchOptions {
    bool match_case = false;
    bool whole_word = false;
};

struct Selection {
    int start = 0;
    int end = 0;  // one past the last character
    bool operator==(const Selection &) const = default;
};

// The first match at or after `from`; nothing up to the end.
std::optional<Selection> find_from(std::u16string_view text, std::u16string_view pattern, int from,
                                   SearchOptions options);

// Find next: searches from the selection's start, skipping a match that is
// exactly the selection.
std::optional<Selection> find_next(std::u16string_view text, std::u16string_view pattern,
                                   Selection selection, SearchOptions options);

// Replace all from the selection's start: every match in turn is replaced
// and the search goes on after the inserted text.  A match found before the
// end of the previous replacement (a replacement that made a new match
// across its own start) stops with `completed` false.
struct ReplaceAllResult {
    std::u16string text;
    int replacements = 0;
    bool completed = true;
};
ReplaceAllResult replace_all(std::u16string_view text, std::u16string_view pattern,
                             std::u16string_view replacement, int from, SearchOptions options);

}  // namespace ide
