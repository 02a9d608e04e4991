#include "prompt_command.h"

namespace cli {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

PromptCommand parse_prompt_command(std::string_view line) {
    PromptCommand command;
    line = trim(line);
    if (line.size() < 2 || line[0] != ':') return command;
    if (line.find_first_of("(=") != std::string_view::npos) return command;
    size_t word_end = 1;
    while (word_end < line.size() && !is_blank(line[word_end])) ++word_end;
    std::string_view word = line.substr(1, word_end - 1);
    std::string_view argument = trim(line.substr(word_end));
    if (word == "quit" || word == "q") {
        if (!argument.empty()) return command;
        command.kind = PromptCommand::Kind::Quit;
    } else if (word == "help" || word == "h") {
        command.kind = PromptCommand::Kind::Help;
    } else if (word == "load") {
        command.kind = PromptCommand::Kind::Load;
    } else {
        return command;
    }
    command.argument = argument;
    return command;
}

std::string prompt_command_help() {
    return "Type formulas separated by ';' and press Enter; each entry is compiled and run,\n"
           "formulas without parameters print their results.  Input continues while a\n"
           "bracket or a /* */ comment is open.  Names defined in an entry stay callable\n"
           "in later ones (every formula outside #MODULE# is public, as with '~'); a\n"
           "name can be defined once.\n"
           "\n"
           "  :load LIB[:ARG]  start the extension library LIB (TmData32W.dll first)\n"
           "  :help NAME       show the help text of the function NAME\n"
           "  :help            show this text\n"
           "  :quit, :q        leave tamrix (also Ctrl-D)\n"
           "\n"
           "Ctrl-C drops the line being typed, or interrupts a running entry.\n";
}

}  // namespace cli
