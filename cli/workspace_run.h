// A workspace file applied to this host, as the editor applies it at start-up:
// "#PATH" is current while the items load; "#LOAD" starts the extension
// libraries; the constant files are registered; "#MODULE" items become
// names that "#USE#" finds; "#COMMAND" items are listed and run by number.
#pragma once

#include <string>
#include <vector>

#include "engine.h"
#include "extensions.h"
#include "module_loader.h"
#include "terminal_host.h"
#include "workspace.h"

namespace cli {

class WorkspaceRun {
public:
    WorkspaceRun(const Engine &engine, TerminalHost &host) : engine_(engine), host_(host) {}

    // Reads and applies the workspace; false (after a diagnostic) when the
    // file cannot be read.  Messages about single items never stop the rest.
    bool apply(const std::string &path, ExtensionSet &extensions, ModuleLoader &loader);

    const std::vector<ide::CommandEntry> &commands() const { return commands_; }
    // "2000\t<section title>\t<menu text>\t<file>" per command.
    std::string command_list() const;
    // The file of command `id`, or "" when there is none.
    std::string command_file(int id) const;

private:
    const Engine &engine_;
    TerminalHost &host_;
    ide::WorkspaceSections sections_;
    std::vector<ide::CommandEntry> commands_;
};

}  // namespace cli
