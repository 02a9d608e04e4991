// Command-line arguments of the `tamrix` host.
#pragma once

#include <string>
#include <vector>

namespace cli {

// One program to compile and run, in the order given.
struct SourceItem {
    // Command: a "#COMMAND" item of the workspace, by its number (value).
    enum class Kind { File, Text, Stdin, Command };
    Kind kind = Kind::File;
    std::string value;  // the path (File) or the program text (Text)
};

// One "--load LIB[:ARG]"; the first ':' separates the name from the argument.
struct LoadItem {
    std::string library;
    std::string argument;
    bool has_argument = false;
};

// "--plot FILE -o OUT": render the scene FILE offscreen into the picture OUT
// through the graphics library's start argument.
struct PlotOutput {
    std::string scene;
    std::string output;
    std::string size = "800x600";
    long frames = 2;
    bool extras_given = false;  // -o, --size or --frames seen
};

struct Options {
    std::vector<SourceItem> sources;  // none given: one Stdin item
    // No program was named: the Stdin item was put in by default (on a
    // terminal the prompt takes its place).
    bool stdin_implied = false;
    // Set by the program, not an option: show the prompt instead of reading
    // a program from standard input.
    bool interactive = false;
    std::vector<LoadItem> loads;
    // Slots of each shared value stack; 0 leaves the stacks unsized, so that
    // nested calls fail until a program sizes them itself.
    long stack_slots = 100000;
    // Seconds after which a run is interrupted as by Ctrl-C; 0: no limit.
    double time_limit_seconds = 0;
    // A workspace file applied before any program (--workspace).
    std::string workspace;
    bool list_commands = false;
    // Print the help text of this function and exit (--help-for).
    std::string help_for;
    bool help = false;
    bool version = false;
    PlotOutput plot;
};

struct ParsedOptions {
    bool ok = false;
    std::string error;  // set when !ok: what was wrong, for the usage message
    Options options;
};

ParsedOptions parse_options(const std::vector<std::string> &args);

// "LIB[:ARG]": the first ':' separates the library from its argument.
LoadItem parse_load_item(const std::string &text);

std::string usage_text();

}  // namespace cli
