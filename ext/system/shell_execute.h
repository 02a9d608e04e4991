// The shell's "open" operation on this platform.  A file, directory or URL
// is opened with xdg-open; an executable file is run with the parameters.
// Programs are started with posix_spawn and an argument vector, never
// through a shell, so no text is ever read as a command.
//
// The result keeps the convention callers of the original operation know: a
// value above 32 is success (here the started process's id, at least 33),
// else 0 out of memory, 2 file not found, 3 path not found, 5 access denied,
// 31 no application for the operation or file.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace syslib {

enum ShellResult : long {
    kShellNoMemory = 0,
    kShellFileNotFound = 2,
    kShellPathNotFound = 3,
    kShellAccessDenied = 5,
    kShellNoApplication = 31,
    kShellFirstSuccess = 33,
};

struct ShellRequest {
    std::string operation;   // "", "open", "explore" or "edit" open; others have no application
    std::string file;
    std::string parameters;  // split by command_words
    std::string directory;   // working directory, "" = the current one
};

// Starts what the request names; the started process's id goes to
// `children` so that it can be reaped.
long shell_execute(const ShellRequest &request, std::vector<pid_t> &children);

// Reaps the children that have ended, without waiting for the others.
void reap_children(std::vector<pid_t> &children);

}  // namespace syslib
