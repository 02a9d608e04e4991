// The workspace file's sections.  A section is '#', an upper-case keyword,
// optional blanks (tab, line feed, carriage return, space) and '{'; for
// "#COMMAND" a "(title)" with optional blanks around it comes before the
// '{'.  The body runs to the first '}' (no nesting).  Text outside sections,
// and a '#' not followed by a keyword, are ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ide {

struct CommandSection {
    std::u16string title;
    std::vector<std::u16string> items;  // "menu text*file"
};

struct WorkspaceSections {
    // Only the first "#PATH" and "#LOAD" count; "#PATH" is the raw body,
    // "#LOAD" the body for load_extensions.
    std::optional<std::u16string> path;
    std::optional<std::u16string> load;
    // Every section of these kinds counts, items in order of appearance.
    std::vector<std::u16string> int_files;
    std::vector<std::u16string> real_files;
    std::vector<std::u16string> complex_files;
    std::vector<std::u16string> modules;  // "name*file" or "file"
    std::vector<CommandSection> commands;
    std::vector<std::u16string> keys;
    // A section whose '{' was found but not its '}': it and everything after
    // it are ignored.
    bool unterminated = false;
};

WorkspaceSections parse_workspace(std::u16string_view text);

// The items between double quotes of a body.  With comments, '<' starts a
// comment that runs to the next '>'.  An unterminated item or comment ends
// the scan.
std::vector<std::u16string> quoted_items(std::u16string_view body, bool comments);

// One entry of a "#LOAD" body: the library name and, after the first ':',
// the argument string handed to its start-up.
struct LoadEntry {
    std::u16string library;
    std::u16string argument;
    bool has_argument = false;
};
std::vector<LoadEntry> parse_load_list(std::u16string_view body);

// A "#MODULE" or "#COMMAND" item split at its first '*': the name before it
// and the file after it; without '*' (has_star false) both are the item.
struct StarItem {
    std::u16string name;
    std::u16string file;
    bool has_star = false;
};
StarItem split_star_item(std::u16string_view item);

}  // namespace ide
