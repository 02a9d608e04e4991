#include "association.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "host.h"
#include "platform/loader.h"
#include "settings.h"

namespace ide {
namespace {

void make_directories(const std::string &dir) {
    for (size_t at = 1; at <= dir.size(); ++at)
        if (at == dir.size() || dir[at] == '/') ::mkdir(dir.substr(0, at).c_str(), 0755);
}

bool write_file(const std::string &path, const std::string &text) {
    make_directories(path.substr(0, path.rfind('/')));
    std::ofstream out(path, std::ios::trunc);
    out << text;
    return bool(out.flush());
}

// A desktop entry's Exec value quotes the program path so that spaces and
// the few reserved characters stay part of it.
std::string quoted_exec(const std::string &program) {
    std::string out = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += "\\\\";
        out += c;
    }
    return out + "\"";
}

}  // namespace

AssociationFiles association_files() {
    std::string base = data_home();
    return {base + "/applications/opentm.desktop", base + "/mime/packages/opentm-otm.xml"};
}

bool association_exists() { return ::access(association_files().desktop.c_str(), F_OK) == 0; }

bool write_association(const std::string &program_path) {
    AssociationFiles files = association_files();
    const std::string mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-otm\">\n"
        "    <comment>OpenTM workspace</comment>\n"
        "    <glob pattern=\"*.otm\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const std::string desktop =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=OpenTM\n"
        "Exec=" +
        quoted_exec(program_path) +
        " %f\n"
        "Icon=" +
        program_path +
        "\n"
        "MimeType=application/x-otm;\n"
        "Terminal=false\n";
    return write_file(files.mime, mime) && write_file(files.desktop, desktop);
}

void remove_association() {
    AssociationFiles files = association_files();
    std::remove(files.desktop.c_str());
    std::remove(files.mime.c_str());
}

bool ensure_association(Host &host, bool has_file_argument) {
    if (has_file_argument || association_exists()) return true;
    if (write_association(platform::program_directory() + "/OpenTm32W")) return true;
    host.message_box(u"注册失败！不能建立本程序和“.otm”文件之间的关联！", u"OpenTM",
                     platform::kBoxOk);
    return false;
}

}  // namespace ide
