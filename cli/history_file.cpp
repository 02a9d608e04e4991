#include "history_file.h"

#include <sys/stat.h>

#include <cerrno>

namespace cli {

std::string history_file_path(const char *xdg_state_home, const char *home) {
    std::string base;
    if (xdg_state_home && xdg_state_home[0] == '/') base = xdg_state_home;
    else if (home && home[0] == '/') base = std::string(home) + "/.local/state";
    else return "";
    if (base.back() != '/') base += '/';
    return base + "tamrix/history";
}

bool make_parent_directories(const std::string &file) {
    for (size_t slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
        std::string directory = file.substr(0, slash);
        if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace cli
