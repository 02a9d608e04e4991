#include "settings.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/text.h"

namespace ide {
namespace {

constexpr char kKey[] = "default_workspace=";

std::string home_based(const char *variable, const char *fallback) {
    const char *value = std::getenv(variable);
    if (value && *value == '/') return value;
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + fallback;
}

// Creates every missing directory of a path.
void make_directories(const std::string &dir) {
    for (size_t at = 1; at <= dir.size(); ++at)
        if (at == dir.size() || dir[at] == '/') ::mkdir(dir.substr(0, at).c_str(), 0755);
}

// Values are written as QSettings writes them: backslashes doubled, so a
// path holding one reads back the same.
std::string escaped(const std::string &value) {
    std::string out;
    for (char c : value) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string unescaped(const std::string &value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        out += value[i];
    }
    return out;
}

}  // namespace

std::string config_home() { return home_based("XDG_CONFIG_HOME", "/.config"); }
std::string data_home() { return home_based("XDG_DATA_HOME", "/.local/share"); }

FileSettings::FileSettings(std::string file) : file_(std::move(file)) {
    if (file_.empty()) file_ = config_home() + "/OpenTM/OpenTM.conf";
}

bool FileSettings::read_default_workspace(std::u16string &path) {
    path.clear();
    std::ifstream in(file_);
    if (!in) return true;  // nothing stored yet
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(kKey, 0) == 0) {
            path = platform::from_utf8(unescaped(line.substr(sizeof kKey - 1)));
            return true;
        }
    }
    return !in.bad();
}

bool FileSettings::write_default_workspace(std::u16string_view path) {
    std::string value = platform::to_utf8(std::u16string(path));
    if (value.find_first_of("\r\n") != std::string::npos) return false;
    size_t slash = file_.rfind('/');
    if (slash != std::string::npos) make_directories(file_.substr(0, slash));
    // Other lines the toolkit keeps in the file stay.
    std::ifstream in(file_);
    std::ostringstream kept;
    bool in_general = false, written = false;
    std::string line;
    while (in && std::getline(in, line)) {
        if (line.rfind(kKey, 0) == 0) continue;
        kept << line << '\n';
        if (line == "[General]") {
            kept << kKey << escaped(value) << '\n';
            in_general = written = true;
        }
    }
    (void)in_general;
    std::string text = kept.str();
    if (!written) text = "[General]\n" + std::string(kKey) + escaped(value) + "\n" + text;
    std::string temporary = file_ + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), file_.c_str()) == 0;
}

}  // namespace ide
