// Module names (name-tree type 15, key = the name's UTF-16 bytes) and the
// qualified names A::B::f that reach exported formulas through them.
//
// A module gets at most one name, given by the built-in "Module" together
// with a list of subordinate module names.  The name storage belongs to the
// module record: the type-15 entry only points at it (no release routine),
// and removing the module record removes the entry and frees the storage.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../record.h"

namespace tmx {

struct ModuleRecord;

// A name that lives elsewhere (a string literal, or a module name's storage).
struct NameText {
    const char16_t *text;
    size_t len;
};

struct ModuleName {
    int32_t module;   // module number of the formula that gave the name
    int32_t count;    // subordinate names
    NameText own;     // the name itself: the type-15 key
    NameText *subs;   // `count` subordinate names
    char16_t *chars;  // storage of all the names above, each NUL-ended
    bool visited;     // mark of a breadth-first walk; false between walks
};

// Codes of "Module" that the registry decides.
enum ModuleNameResult : int {
    kNamed = 0,
    kAlreadyNamed = 2,
    kNameNoMemory = 4,
    kNameTaken = 5,
    kNameInsertFailed = 6, // an empty name: no key can be made of it
};

// Names the module of `record` (module number `module`): names[0] becomes
// the key, names[1..count) its subordinate names.  Copies every text.
int name_module(ModuleRecord *record, int module, const NameText *names, int count);

// The record of a module name, or null.
ModuleName *find_module_name(const char16_t *name, size_t len);

// Removes the module's type-15 entry (if it is still this module's) and frees
// the storage.  Called when the module record goes.
void drop_module_name(ModuleRecord *record);

// A qualified name A::B::f: A a module name, each further segment listed as
// subordinate by the one before, f an exported formula (of `type`, or of any
// type when 0) of the last named module or of a module reachable from it
// through subordinate names, the smallest depth first.  Null when the name
// has no "::", a segment is unknown, nothing matches, or memory runs out.
FormulaRecord *qualified_formula(const char16_t *name, size_t len, int type);

}  // namespace tmx
