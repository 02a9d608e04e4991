// Help texts of functions, as loaded from the shipped help files and by
// LoadHelp: for --help-for and the prompt's ":help NAME".
#pragma once

#include <string>

#include "engine.h"

namespace cli {

// Prints the help text filed for `name` on standard output; false (after a
// diagnostic) when there is none.
bool print_help_for(const Engine &engine, const std::string &name);

}  // namespace cli
