#include "shell_execute.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "command_words.h"

extern char **environ;

namespace syslib {

namespace {

std::string lower(std::string s) {
    for (char &c : s) c = char(std::tolower((unsigned char)c));
    return s;
}

bool is_open_operation(const std::string &operation) {
    const std::string op = lower(operation);
    return op.empty() || op == "open" || op == "explore" || op == "edit";
}

// "scheme:rest" with a scheme of two or more letters (one letter would be a
// drive, which this platform does not have anyway).
bool looks_like_url(const std::string &file) {
    size_t colon = file.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    if (!std::isalpha((unsigned char)file[0])) return false;
    for (size_t i = 1; i < colon; ++i) {
        const char c = file[i];
        if (!std::isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool is_directory(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_executable_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// An executable of that name in PATH, or "".
std::string find_in_path(const std::string &name) {
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (is_executable_file(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

std::string current_directory() {
    std::string dir(4096, '\0');
    while (!getcwd(dir.data(), dir.size())) {
        if (errno != ERANGE) return ".";
        dir.resize(dir.size() * 2);
    }
    dir.resize(dir.find('\0'));
    return dir;
}

// The file as an absolute path: a relative name is taken from the working
// directory the request gives (the started program runs there), else from
// the current one.  Absolute, since the child changes directory before it
// starts the program.
std::string resolve(const ShellRequest &r) {
    if (r.file[0] == '/') return r.file;
    std::string base = r.directory;
    if (base.empty() || base[0] != '/')
        base = current_directory() + (base.empty() ? "" : "/" + base);
    return base + "/" + r.file;
}

// Why a path cannot be reached: its directory missing, or the file.
long missing(const std::string &path) {
    struct stat st;
    if (errno == EACCES) return kShellAccessDenied;
    if (errno == ENOTDIR) return kShellPathNotFound;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return kShellFileNotFound;
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    return stat(parent.c_str(), &st) == 0 ? kShellFileNotFound : kShellPathNotFound;
}

long spawn_error(int error) {
    switch (error) {
    case ENOENT: return kShellFileNotFound;
    case ENOTDIR: return kShellPathNotFound;
    case EACCES:
    case EPERM: return kShellAccessDenied;
    case ENOMEM: return kShellNoMemory;
    default: return kShellNoApplication;
    }
}

// Starts program with argv in directory; its own process group, default
// signal handling and no blocked signals, as a program started from a
// desktop has.
long spawn(const std::string &program, const std::vector<std::string> &args,
           const std::string &directory, std::vector<pid_t> &children) {
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    children.reserve(children.size() + 1);  // cannot fail once the child runs

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) return kShellNoMemory;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return kShellNoMemory;
    }
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETPGROUP);
    int rc = directory.empty()
                 ? 0
                 : posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    pid_t pid = 0;
    if (rc == 0)
        rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return spawn_error(rc);
    children.push_back(pid);
    return std::max<long>(pid, kShellFirstSuccess);
}

long open_with_desktop(const std::string &target, const std::string &directory,
                       std::vector<pid_t> &children) {
    std::string opener = find_in_path("xdg-open");
    if (opener.empty()) return kShellNoApplication;
    return spawn(opener, {target}, directory, children);
}

}  // namespace

long shell_execute(const ShellRequest &r, std::vector<pid_t> &children) {
    reap_children(children);
    if (!is_open_operation(r.operation)) return kShellNoApplication;
    if (r.file.empty()) return kShellFileNotFound;
    if (!r.directory.empty() && !is_directory(r.directory)) return kShellPathNotFound;

    std::string path = resolve(r);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        const long why = missing(path);
        if (looks_like_url(r.file)) return open_with_desktop(r.file, r.directory, children);
        // A bare name is a program looked up in PATH, as the desktop does.
        if (r.file.find('/') == std::string::npos) {
            std::string program = find_in_path(r.file);
            if (!program.empty())
                return spawn(program, command_words(r.parameters), r.directory, children);
        }
        return why;
    }
    if (is_executable_file(path))
        return spawn(path, command_words(r.parameters), r.directory, children);
    return open_with_desktop(path, r.directory, children);
}

void reap_children(std::vector<pid_t> &children) {
    auto ended = [](pid_t pid) {
        int status = 0;
        pid_t rc = waitpid(pid, &status, WNOHANG);
        return rc == pid || (rc < 0 && errno == ECHILD);
    };
    children.erase(std::remove_if(children.begin(), children.end(), ended), children.end());
}

}  // namespace syslib
