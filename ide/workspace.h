// What a workspace's sections become: constants registered with the kernel,
// standard modules and command entries for the module list, keywords for
// the colouring.  Shared by the editor and the command-line host.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "constant_file.h"
#include "ext/protocol/kernel_binding.h"
#include "host.h"
#include "tamrix/tamrix_ext.h"
#include "workspace_text.h"

namespace ide {

// Names of modules and commands stay below this many characters.
constexpr size_t kMaxModuleName = 260;
// Keywords have 1 to 19 characters.
constexpr size_t kMaxKeyword = 19;
// Command items have menu ids from here upward, across all sections.
constexpr int kFirstCommandId = 2000;

// A file's text: from the editor when it is open there, else read; false
// (after the reading message) when it cannot be had.
using SourceLookup = std::function<bool(std::u16string_view path, std::u16string &text)>;

struct NamedFile {
    std::u16string name;
    std::u16string file;  // full path
};

struct CommandEntry {
    int id = 0;
    size_t section = 0;  // index of its "#COMMAND" section
    NamedFile module;
};

// The "#MODULE" items as standard modules, in order.  A name of 260 or more
// characters shows "OpenTM：模块名太长！" and is skipped; files are made full
// paths (against the current directory).
std::vector<NamedFile> standard_modules(const WorkspaceSections &sections, Host &host);

// The "#COMMAND" items, numbered from 2000 across the sections.  An item
// without '*' or with a name of 260 or more characters shows
// "OpenTM：命令定义错误或命令名太长！" and is skipped.
std::vector<CommandEntry> command_entries(const WorkspaceSections &sections, Host &host);

// The "#KEY" words of 1 to 19 characters, newest first.
std::vector<std::u16string> keyword_list(const WorkspaceSections &sections);

// Registers the constants of every file of one type's sections.  The
// caller holds the workspace.  A bad definition shows where parsing stopped
// and parsing goes on; a refused registration asks whether to go on with
// the file.
void register_constants(const extproto::KernelExports &kernel, Host &host,
                        const WorkspaceSections &sections, ConstantType type,
                        const SourceLookup &source);

}  // namespace ide
