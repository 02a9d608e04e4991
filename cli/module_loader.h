// The host's loader for "#USE# name": compiles the named file as a module of
// its own while the program that names it is being compiled.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine.h"

namespace cli {

class ModuleLoader {
public:
    // Module numbers of everything compiled (programs and used modules) go
    // to `modules`, in order, so they can be deleted last first at exit.
    ModuleLoader(const Engine &engine, std::vector<int> &modules)
        : engine_(engine), modules_(modules) {}

    // Brackets the compile of a program; names in it resolve against
    // `directory` ("" = the current directory).  `canonical` is the program
    // file's canonical path, "" for a text without a file.
    void begin_program(const std::string &directory, const std::string &canonical);
    void end_program();
    // Remembers a compiled program file, so "#USE#" of it does not compile it
    // again.
    void remember(const std::string &canonical, int module_number);

    // A workspace's standard module: "#USE# name" (ASCII case ignored)
    // compiles `file` (a full path).
    void add_standard_module(const std::string &name, const std::string &file) {
        standard_.emplace_back(name, file);
    }

    // The "MTM_LoadModule" contract: 0 compiled (or compiled before), -6 not
    // found, unreadable or not compilable (its error is printed with the
    // position in its own file), -7 a module that uses itself.  The caller
    // holds the kernel lock.
    int load(const char16_t *name);

    // Nesting deeper than this is refused: each level is a native call chain
    // through the module compiler.
    static constexpr size_t kMaxDepth = 64;

private:
    struct Frame {
        std::string directory;
        std::string canonical;
    };
    int compile_module(const std::string &path, const std::string &canonical,
                       const std::u16string &source);
    bool is_compiling(const std::string &canonical) const;

    const Engine &engine_;
    std::vector<int> &modules_;
    std::vector<Frame> frames_;
    std::map<std::string, int> compiled_;  // canonical path -> module number
    std::vector<std::pair<std::string, std::string>> standard_;  // name, file
};

}  // namespace cli
