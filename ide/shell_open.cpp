#include "shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace ide {

bool shell_open(const std::string &target) {
    std::string program = "xdg-open";
    char *argv[] = {program.data(), const_cast<char *>(target.c_str()), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    // xdg-open hands the target on and ends at once; waiting for it keeps
    // no zombie behind.
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace ide
