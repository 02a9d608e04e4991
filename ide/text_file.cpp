#include "text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/loader.h"

namespace ide {
namespace {

std::string native(std::u16string_view path) { return platform::to_utf8(std::u16string(path)); }

bool fail(std::u16string *caption, const char16_t *text) {
    if (caption) *caption = text;
    return false;
}

char16_t ascii_lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool read_text_file(std::u16string_view path, TextFile &file, std::u16string *caption) {
    Descriptor fd(::open(native(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return fail(caption, u"OpenTM：打开文件失败！");
    struct stat info;
    if (::fstat(fd.get(), &info) != 0) return fail(caption, u"OpenTM：检取文件大小失败！");
    // Only regular files have a size to read; a directory, a pipe or a
    // device would never end or never start.
    if (!S_ISREG(info.st_mode)) return fail(caption, u"OpenTM：打开文件失败！");
    if (size_t(info.st_size) > kMaxTextFileBytes) return fail(caption, u"内存分配失败！");
    std::string bytes(size_t(info.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(caption, u"OpenTM：读文件失败！");
        if (n == 0) break;  // the file shrank meanwhile
        done += size_t(n);
    }
    bytes.resize(done);
    file.text = platform::decode_text_file(bytes, &file.encoding);
    size_t nul = file.text.find(u'\0');
    if (nul != std::u16string::npos) file.text.resize(nul);
    return true;
}

bool write_text_file(std::u16string_view path, const std::u16string &text, TextEncoding encoding,
                     std::u16string *caption) {
    Descriptor fd(::open(native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0) return fail(caption, u"OpenTM：创建文件失败！");
    std::string bytes = platform::encode_text_file(text, encoding);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(caption, u"OpenTM：写文件失败！");
        done += size_t(n);
    }
    return true;
}

std::u16string current_directory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) break;
        if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
    std::u16string dir = platform::from_utf8(buffer.data());
    if (dir.empty() || dir.back() != u'/') dir += u'/';
    return dir;
}

bool change_directory(std::u16string_view path) {
    return !path.empty() && ::chdir(native(path).c_str()) == 0;
}

std::u16string program_directory() {
    std::u16string dir = platform::from_utf8(platform::program_directory());
    if (dir.empty() || dir.back() != u'/') dir += u'/';
    return dir;
}

std::u16string full_path(std::u16string_view name) {
    if (name.empty()) return {};
    std::u16string joined;
    if (name.front() == u'/') {
        joined = std::u16string(name);
    } else {
        std::u16string dir = current_directory();
        if (dir.empty()) return {};
        joined = dir + std::u16string(name);
    }
    // Resolve "." and ".." segment by segment.
    std::vector<std::u16string> parts;
    size_t at = 0;
    while (at <= joined.size()) {
        size_t slash = joined.find(u'/', at);
        if (slash == std::u16string::npos) slash = joined.size();
        std::u16string part = joined.substr(at, slash - at);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::u16string result;
    for (const std::u16string &part : parts) result += u"/" + part;
    if (result.empty()) result = u"/";
    // A name ending in '/' names a directory; keep that visible.
    if (joined.back() == u'/' && result != u"/") result += u'/';
    return result;
}

std::u16string directory_of(std::u16string_view path) {
    size_t slash = path.rfind(u'/');
    return slash == std::u16string_view::npos ? std::u16string()
                                              : std::u16string(path.substr(0, slash + 1));
}

std::u16string file_name_of(std::u16string_view path) {
    size_t slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

bool same_ascii_ignoring_case(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

bool same_path(std::u16string_view a, std::u16string_view b) {
    return same_ascii_ignoring_case(a, b);
}

}  // namespace ide
