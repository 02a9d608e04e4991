#include "loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "install_layout.h"

namespace platform {

std::string library_file_name(const std::string &name) {
    size_t slash = name.rfind('/');
    std::string dir = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    if (base.size() > 4) {
        std::string ext = base.substr(base.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".dll") return dir + "lib" + base.substr(0, base.size() - 4) + ".so";
    }
    return name;
}

std::string program_directory() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    std::string path(buf);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

LibraryHandle load_library(const std::string &name, std::string *error) {
    std::string file = library_file_name(name);
    // The first library that exists but does not load explains the failure
    // better than the system loader's final "not found".
    std::string first_failure;
    if (file.find('/') == std::string::npos) {
        for (const std::string &dir : library_directories()) {
            for (const std::string &candidate : library_file_candidates(file)) {
                std::string path = dir + "/" + candidate;
                if (access(path.c_str(), R_OK) != 0) continue;
                if (void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
                if (first_failure.empty()) {
                    const char *msg = dlerror();
                    first_failure = msg ? msg : "cannot load " + path;
                }
            }
        }
    }
    // Last the system loader, which knows an installation under the usual
    // prefixes by the versioned name alone.  Its message for the name as
    // given is the one reported.
    void *h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h) return h;
    const char *msg = dlerror();
    std::string system_failure = msg ? msg : "cannot load " + file;
    if (file.find('/') == std::string::npos) {
        for (const std::string &candidate : library_file_candidates(file))
            if (candidate != file && (h = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)))
                return h;
    }
    if (error) *error = !first_failure.empty() ? first_failure : system_failure;
    return nullptr;
}

void *find_symbol(LibraryHandle lib, const char *name) {
    if (!lib || !name) return nullptr;
    return dlsym(lib, name);
}

void close_library(LibraryHandle lib) {
    if (lib) dlclose(lib);
}

}  // namespace platform
