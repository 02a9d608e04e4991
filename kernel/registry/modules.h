// Module records (name-tree type 14, key = |module| in decimal ASCII digits)
// and the module-wide hooks of the kernel.
//
// A record counts the formulas compiled under +m or -m and holds the module's
// lock function, its name (module_names.h) and its list of used modules.  It
// is created by the first formula (or by a lock) and removed, together with
// the module's variables of all three types and its name, when its last
// formula goes.
#pragma once

#include <cstdint>

#include "name_tree.h"
#include "tamrix/tamrix.h"

namespace tmx {

struct ModuleName;
struct NameText;

struct ModuleRecord {
    int32_t formula_count = 0;
    TmLockFunction lock = nullptr; // the function that locked the module
    ModuleName *name = nullptr;    // set once by "Module"; owned here
    // Used modules ("using"): null-terminated list into used_chars; both
    // allocated with std::malloc and freed with the record.
    const char16_t **used = nullptr;
    char16_t *used_chars = nullptr;
};

// Name-tree entry types the registry files.
enum EntryType : int32_t {
    kEntryIntFormulas = 1, // 1, 2, 3: same-name formula lists
    kEntryIntFunction = 4, // 4, 5, 6: external functions
    kEntryIntConst = 7,    // 7, 8, 9: constants
    kEntryIntShared = 10,  // 10, 11, 12: module and common variables
    kEntryModule = 14,
    kEntryModuleName = 15,
    kEntryHandle = 16, // formula handles handed out at run time
};

// |module| without overflow (the most negative int has no positive twin).
inline uint32_t module_abs(int module) {
    return module < 0 ? 0u - uint32_t(module) : uint32_t(module);
}
inline bool same_module(int a, int b) { return module_abs(a) == module_abs(b); }

// Decimal digits of n into buf (at least 10 entries); returns the count.
int decimal_digits(uint32_t n, char *buf);
int decimal_digits(uint32_t n, char16_t *buf);

// The module's record, or null.
ModuleRecord *find_module(int module);
// The module's record, created {count 0, no lock} when missing; null when
// memory is exhausted.
ModuleRecord *module_record(int module);
// One formula of the module is gone: at count 0 the module's variables and
// its record are removed.
void module_formula_removed(int module);
// Removes the record and the module's variables of types 10, 11, 12.
void remove_module(int module);

// Replaces the module's used-module list with copies of `names` (count may be
// 0, which empties it).  False when memory is exhausted: the list is kept.
bool set_used_modules(ModuleRecord *record, const NameText *names, int count);

// Called instead of the release pass for a deleted formula that has a free
// marker but may no longer run: (first static slot after `static`, formula
// type, the same address, number of static slots before the free marker).
// Set and cleared by ExMsgWithTamrix.
using StaticReleaseHook = void(TM_CALL *)(void *statics, int type, void *statics_again,
                                          int count);
extern StaticReleaseHook g_static_release_hook;

}  // namespace tmx
