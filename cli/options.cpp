#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace cli {
namespace {

constexpr long kMaxStackSlots = 2147483647L;

bool parse_stack(const std::string &text, long &slots) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    errno = 0;
    char *end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > kMaxStackSlots) return false;
    slots = value;
    return true;
}

bool parse_seconds(const std::string &text, double &seconds) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    // Up to a year: beyond that the deadline arithmetic would overflow.
    if (errno != 0 || *end != '\0' || !(value > 0) || value > 31536000) return false;
    seconds = value;
    return true;
}

// Splits "--name=value" into name and value; other arguments stay whole.
bool split_long_option(const std::string &arg, std::string &name, std::string &value) {
    if (arg.rfind("--", 0) != 0) return false;
    size_t eq = arg.find('=');
    if (eq == std::string::npos) return false;
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
}

// "WxH" with each side from 1 to 8192 pixels.
bool valid_size(const std::string &text) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    long w = 0, h = 0;
    return parse_stack(text.substr(0, x), w) && parse_stack(text.substr(x + 1), h) && w >= 1 &&
           h >= 1 && w <= 8192 && h <= 8192;
}

ParsedOptions failure(std::string why) {
    ParsedOptions parsed;
    parsed.error = std::move(why);
    return parsed;
}

}  // namespace

LoadItem parse_load_item(const std::string &text) {
    LoadItem item;
    size_t colon = text.find(':');
    item.library = text.substr(0, colon);
    if (colon != std::string::npos) {
        item.argument = text.substr(colon + 1);
        item.has_argument = true;
    }
    return item;
}

ParsedOptions parse_options(const std::vector<std::string> &args) {
    ParsedOptions parsed;
    Options &options = parsed.options;
    bool options_ended = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
            if (arg == "-" && !options_ended)
                options.sources.push_back({SourceItem::Kind::Stdin, ""});
            else
                options.sources.push_back({SourceItem::Kind::File, arg});
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "--list-commands") {
            options.list_commands = true;
            continue;
        }
        if (arg == "-V" || arg == "--version") {
            options.version = true;
            continue;
        }
        std::string name = arg, value;
        bool inline_value = split_long_option(arg, name, value);
        bool takes_value = name == "-e" || name == "--eval" || name == "--load" ||
                           name == "--stack" || name == "--time-limit" ||
                           name == "--workspace" || name == "--command" ||
                           name == "--help-for" || name == "--plot" || name == "-o" ||
                           name == "--output" || name == "--size" || name == "--frames";
        if (!takes_value) return failure("unknown option '" + arg + "'");
        if (!inline_value) {
            if (i + 1 >= args.size()) return failure("option '" + name + "' needs a value");
            value = args[++i];
        }
        if (name == "--plot") {
            if (value.empty()) return failure("--plot needs a scene file");
            options.plot.scene = value;
        } else if (name == "-o" || name == "--output") {
            // The start argument separates its options with commas.
            if (value.empty() || value.find(',') != std::string::npos)
                return failure("-o needs a picture file name without commas");
            options.plot.output = value, options.plot.extras_given = true;
        } else if (name == "--size") {
            if (!valid_size(value)) return failure("--size needs WIDTHxHEIGHT (1 to 8192), not '" +
                                                   value + "'");
            options.plot.size = value, options.plot.extras_given = true;
        } else if (name == "--frames") {
            if (!parse_stack(value, options.plot.frames) || options.plot.frames < 1 ||
                options.plot.frames > 100000)
                return failure("--frames needs a whole number from 1 to 100000, not '" + value +
                               "'");
            options.plot.extras_given = true;
        } else if (name == "-e" || name == "--eval") {
            options.sources.push_back({SourceItem::Kind::Text, value});
        } else if (name == "--load") {
            LoadItem item = parse_load_item(value);
            if (item.library.empty()) return failure("--load needs a library name");
            options.loads.push_back(item);
        } else if (name == "--workspace") {
            if (value.empty()) return failure("--workspace needs a file name");
            options.workspace = value;
        } else if (name == "--help-for") {
            if (value.empty()) return failure("--help-for needs a function name");
            options.help_for = value;
        } else if (name == "--command") {
            long id = 0;
            if (!parse_stack(value, id)) return failure("--command needs a command number, not '" +
                                                        value + "'");
            options.sources.push_back({SourceItem::Kind::Command, value});
        } else if (name == "--time-limit") {
            if (!parse_seconds(value, options.time_limit_seconds))
                return failure("--time-limit needs a number of seconds above 0, not '" + value +
                               "'");
        } else if (!parse_stack(value, options.stack_slots)) {
            return failure("--stack needs a whole number from 0 to 2147483647, not '" + value +
                           "'");
        }
    }
    if (!options.plot.scene.empty()) {
        if (options.plot.output.empty()) return failure("--plot needs -o PICTURE");
        options.sources.push_back({SourceItem::Kind::File, options.plot.scene});
        // The graphics library starts only after the data library.
        bool dataLoaded = false;
        for (const LoadItem &item : options.loads) dataLoaded |= item.library == "TmData32W.dll";
        if (!dataLoaded) options.loads.push_back({"TmData32W.dll", "", false});
        LoadItem graphics;
        graphics.library = "OpenTmGl32W.dll";
        graphics.argument = "offscreen,frames=" + std::to_string(options.plot.frames) +
                            ",size=" + options.plot.size + ",save=" + options.plot.output;
        graphics.has_argument = true;
        options.loads.push_back(graphics);
    } else if (options.plot.extras_given) {
        return failure("-o, --size and --frames go with --plot");
    }
    // Listing commands or printing a help text needs no program.
    if (options.sources.empty() && options.help_for.empty() && !options.list_commands) {
        options.sources.push_back({SourceItem::Kind::Stdin, ""});
        options.stdin_implied = true;
    }
    if (options.list_commands && options.workspace.empty())
        return failure("--list-commands needs --workspace");
    for (const SourceItem &source : options.sources)
        if (source.kind == SourceItem::Kind::Command && options.workspace.empty())
            return failure("--command needs --workspace");
    parsed.ok = true;
    return parsed;
}

std::string usage_text() {
    return "Usage: tamrix [OPTION]... [FILE]...\n"
           "Compiles each FILE (or the -e text, or standard input when none is given)\n"
           "as one module and runs it; results print one per line.\n"
           "\n"
           "  -e, --eval TEXT      compile and run TEXT as a program (repeatable)\n"
           "      --load LIB[:ARG] start the extension library LIB before any program,\n"
           "                       handing it ARG (repeatable, in order)\n"
           "      --stack N        size each shared value stack (integer, real, complex)\n"
           "                       to N slots before any program runs; default 100000;\n"
           "                       0 leaves them unsized, so recursion fails until the\n"
           "                       program calls SetRealStackMax and the like\n"
           "      --time-limit S   interrupt a run that takes more than S seconds\n"
           "      --workspace FILE apply an editor workspace (.otm) first: its #PATH,\n"
           "                       #LOAD libraries, #INT/#REAL/#COMPLEX constants and\n"
           "                       #MODULE names, which \"#USE# name\" then finds\n"
           "      --list-commands  list the workspace's #COMMAND items with their numbers\n"
           "      --command N      run the workspace's command number N (2000, 2001, ...)\n"
           "                       as a program, in order with the other programs\n"
           "      --help-for NAME  print the help text of the function NAME and exit\n"
           "      --plot SCENE -o PICTURE [--size WxH] [--frames N]\n"
           "                       run SCENE with the graphics library offscreen and\n"
           "                       save frame N (default 2) of WxH pixels (default\n"
           "                       800x600) to PICTURE (.png or .bmp); TmData32W.dll\n"
           "                       is loaded first unless --load names it\n"
           "  -h, --help           show this help and exit\n"
           "  -V, --version        show the kernel's and this program's versions\n"
           "  -                    read a program from standard input\n"
           "\n"
           "Without a program, on a terminal, tamrix shows a prompt where formulas\n"
           "are typed and run one entry after another (:help there lists its commands).\n"
           "\n"
           "Programs run in the order given and stay loaded until the end, so a later\n"
           "one may call the public (~) formulas of an earlier one; the first program\n"
           "that fails ends the run.  \"#USE# name\" compiles the file name, relative\n"
           "to the directory of the file being compiled (the current directory for\n"
           "-e and standard input).  Files are UTF-8, UTF-16LE with a byte-order mark,\n"
           "or GB18030.\n"
           "\n"
           "Exit status: 0 success; 64 bad usage; 65 compile error; 66 a program file\n"
           "cannot be read; 69 the kernel or module library cannot be started;\n"
           "70 run error (the run-error report was printed while the program ran, or\n"
           "the time limit interrupted it); 74 the output could not be written;\n"
           "130 interrupted by Ctrl-C; 141 the reader of the output went away (a pipe\n"
           "closed early, as in 'tamrix prog.tm | head -1'): the run stops there.\n"
           "\n"
           "The error and help texts in texts/ beside the program are loaded at start;\n"
           "run-error reports then show the reason of each error code.\n"
           "\n"
           "Ctrl-C interrupts a running program the way the run-error report shows\n"
           "(run error 6); a second Ctrl-C ends tamrix at once.\n";
}

}  // namespace cli
