// Compiling and running programs, one module each, and removing them at the
// end.
#pragma once

#include <string>
#include <vector>

#include "engine.h"
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
    kExitInterrupted = 130, // 128 + SIGINT, as a shell reports it
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
    ModuleLoader &loader() { return loader_; }
    // Deletes every module, last compiled first.
    void close();

private:
    struct Program {
        std::string name;  // as shown in diagnostics
        std::string directory;
        std::string canonical;
        std::u16string text;
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
