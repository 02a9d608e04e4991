// The ".otm" file association: a freedesktop application entry and a MIME
// type under $XDG_DATA_HOME, so a file manager opens workspaces with the
// editor.  Written at start-up when missing, removed by command 65.
#pragma once

#include <string>

namespace ide {

struct AssociationFiles {
    std::string desktop;  // applications/opentm.desktop
    std::string mime;     // mime/packages/opentm-otm.xml
};
AssociationFiles association_files();

bool association_exists();
// Writes both files for the program at `program_path`; false when either
// cannot be written ("注册失败！不能建立本程序和“.otm”文件之间的关联！").
bool write_association(const std::string &program_path);
void remove_association();

class Host;
// Start-up: without a file argument and without an association, writes it
// for the editor beside this program; a failure is shown and the program
// ends (false).
bool ensure_association(Host &host, bool has_file_argument);

}  // namespace ide
