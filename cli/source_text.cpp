#include "source_text.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cli {

bool read_stream_bytes(std::FILE *stream, std::string &bytes, std::string *why) {
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, stream);
        if (n > 0) {
            if (bytes.size() + n > kMaxSourceBytes) {
                *why = "longer than " + std::to_string(kMaxSourceBytes >> 20) + " MiB";
                return false;
            }
            bytes.append(buffer, n);
        }
        if (n < sizeof buffer) break;
    }
    if (std::ferror(stream)) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
}

bool read_file_bytes(const std::string &path, std::string &bytes, std::string *why) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        *why = "is a directory";
        return false;
    }
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *why = std::strerror(errno);
        return false;
    }
    bool ok = read_stream_bytes(file, bytes, why);
    std::fclose(file);
    return ok;
}

std::string directory_of(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join_path(const std::string &directory, const std::string &name) {
    if (directory.empty() || (!name.empty() && name[0] == '/')) return name;
    if (directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

std::string canonical_path(const std::string &path) {
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return "";
    std::string result(resolved);
    ::free(resolved);
    return result;
}

size_t find_nul(const std::u16string &text) { return text.find(u'\0'); }

}  // namespace cli
