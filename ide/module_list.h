// The editor's modules: the main module the code window compiles into, and
// the list of named modules of four kinds.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "tamrix/tamrix_ext.h"

namespace ide {

// Module kinds.  The main module is "OpenTM" of kind -256; the others are
// entries of the module list.
enum ModuleKind : int {
    kMainModule = -256,
    kStandardModule = -259,   // a "#MODULE" item or a "#USE#" reference
    kCommandModule = -260,    // a "#COMMAND" item
    kOrdinaryModule = -261,   // compiled from the code window as a module of its file
    kTemporaryModule = -262,  // compiled from the code window under a counter's name
};

constexpr char16_t kMainModuleName[] = u"OpenTM";

// A compiled module: the number the module library filed it under and its
// formula list; no list = not compiled.
struct ModuleRef {
    int number = 0;
    TmModuleNode *handle = nullptr;
    bool compiled() const { return handle != nullptr; }
};

struct ModuleEntry {
    std::u16string name;
    std::u16string file;
    int kind = kStandardModule;
    ModuleRef module;
    bool compiling = false;
};

// Entries made by the loader and by the compile-and-run commands go to the
// head, those of the workspace to the tail; std::list keeps every entry in
// place while others come and go, since a compile may add entries while it
// holds a reference to one.
using ModuleList = std::list<ModuleEntry>;

// The module manager's kind list: index 0 to 3 for kinds -259 to -262.
constexpr int kind_index(int kind) { return -kind - 259; }
constexpr int kind_of_index(int index) { return -259 - index; }

// The names of the entries of one kind, in list order, as the module
// manager lists them.
inline std::vector<std::u16string> module_names_of_kind(const ModuleList &modules, int kind) {
    std::vector<std::u16string> names;
    for (const ModuleEntry &entry : modules)
        if (entry.kind == kind) names.push_back(entry.name);
    return names;
}

}  // namespace ide
