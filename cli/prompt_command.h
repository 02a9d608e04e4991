// The prompt's own commands, typed at the start of an entry:
//   :load LIB[:ARG]   start an extension library
//   :help NAME        show a function's help text
//   :help             list these commands
//   :quit, :q         leave (as does Ctrl-D)
// ":" also marks a formula as a definition (":f(x)=x*x"); a line is a
// command only when a command word follows the ":" directly and the line
// holds no "(" or "=", which every definition needs.
#pragma once

#include <string>
#include <string_view>

namespace cli {

struct PromptCommand {
    enum class Kind { None, Quit, Help, Load };
    Kind kind = Kind::None;
    std::string argument;  // blanks trimmed; may be empty
};

PromptCommand parse_prompt_command(std::string_view line);

// The text ":help" prints.
std::string prompt_command_help();

}  // namespace cli
