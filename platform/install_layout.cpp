#include "install_layout.h"

#include <dlfcn.h>
#include <unistd.h>

#include "loader.h"

// Paths of an installed tree relative to its bin/ directory, and the kernel's
// interface version; set by the build.
#ifndef TAMRIX_RELATIVE_LIBDIR
#define TAMRIX_RELATIVE_LIBDIR "../lib"
#endif
#ifndef TAMRIX_RELATIVE_DATADIR
#define TAMRIX_RELATIVE_DATADIR "../share/tamrix"
#endif
#ifndef TAMRIX_SOVERSION
#define TAMRIX_SOVERSION ""
#endif
#ifndef TAMRIX_LIBRARY_DIR
#define TAMRIX_LIBRARY_DIR ""
#endif

namespace platform {
namespace {

// Directory of the object this code is linked into: the program, or a
// shared library that compiled the loader in and lies in the library
// directory of some installation.
std::string own_object_directory() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&own_object_directory), &info) || !info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void add_unique(std::vector<std::string> &dirs, const std::string &dir) {
    if (dir.empty()) return;
    for (const std::string &seen : dirs)
        if (seen == dir) return;
    dirs.push_back(dir);
}

}  // namespace

std::vector<std::string> library_directories() {
    std::string here = program_directory();
    std::string installed = here + "/" TAMRIX_RELATIVE_LIBDIR;
    std::vector<std::string> dirs;
    add_unique(dirs, here);
    add_unique(dirs, here + "/../lib");
    add_unique(dirs, installed + "/tamrix");
    add_unique(dirs, installed);
    std::string own = own_object_directory();
    if (!own.empty() && own != here) {
        add_unique(dirs, own + "/tamrix");
        add_unique(dirs, own);
    }
    add_unique(dirs, TAMRIX_LIBRARY_DIR);
    return dirs;
}

std::vector<std::string> library_file_candidates(const std::string &file) {
    std::vector<std::string> names{file};
    std::string version = TAMRIX_SOVERSION;
    if (!version.empty() && file.size() > 3 && file.compare(file.size() - 3, 3, ".so") == 0)
        names.push_back(file + "." + version);
    return names;
}

std::string data_directory_for(const std::string &entry) {
    std::string here = program_directory();
    if (::access((here + "/" + entry).c_str(), F_OK) == 0) return here;
    std::string installed = here + "/" TAMRIX_RELATIVE_DATADIR;
    if (::access((installed + "/" + entry).c_str(), F_OK) == 0) return installed;
    return here;
}

}  // namespace platform
