// Where the prompt keeps its line history between sessions.
#pragma once

#include <string>

namespace cli {

// $XDG_STATE_HOME/tamrix/history, or ~/.local/state/tamrix/history when
// XDG_STATE_HOME is unset, empty or relative (the base directory rules say
// to ignore it then); "" when neither gives an absolute directory.
std::string history_file_path(const char *xdg_state_home, const char *home);

// Creates the directories leading to `file` (owner-only, as history may hold
// private formulas); false when one cannot be made.
bool make_parent_directories(const std::string &file);

}  // namespace cli
