// Compiling and running programs, one module each, and removing them at the
// end.
#pragma once

#include <string>
#include <vector>

#include "engine.h"
#include "entry_rewrite.h"
#include "module_loader.h"
#include "options.h"
#include "output.h"

namespace cli {

// Exit statuses (the BSD sysexits values a shell user may know).
enum ExitStatus {
    kExitOk = 0,
    kExitUsage = 64,
    kExitCompileError = 65,
    kExitNoInput = 66,
    kExitUnavailable = 69,
    kExitRunError = 70,
    kExitIoError = 74,       // the output could not be written
    kExitInterrupted = 130,  // 128 + SIGINT, as a shell reports it
    kExitBrokenPipe = 141,   // 128 + SIGPIPE: the reader of the output went away
};

class Session {
public:
    Session(const Engine &engine, OutputSink &out);
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    ~Session();

    // Compiles the program as one module and runs it; the module stays until
    // close().  Returns an exit status.
    int run(const SourceItem &source);
    // Compiles and runs one entry typed at the prompt as a module of its
    // own; a compile error is shown against the typed text.
    int run_entry(const PreparedEntry &entry, const std::u16string &typed);
    ModuleLoader &loader() { return loader_; }
    // Deletes every module, last compiled first.
    void close();

private:
    struct Program {
        std::string name;  // as shown in diagnostics
        std::string directory;
        std::string canonical;
        std::u16string text;
        // For an entry typed at the prompt: where its characters were typed.
        const PreparedEntry *entry = nullptr;
        const std::u16string *typed = nullptr;
    };
    int read_program(const SourceItem &source, Program &program);
    int compile(const Program &program, TmModuleNode *&list);
    int execute(TmModuleNode *list);

    const Engine &engine_;
    OutputSink &out_;
    std::vector<int> modules_;
    ModuleLoader loader_;
};

}  // namespace cli
