// Registered data types: entries filed under the library's type key type,
// keyed by their identifier, and the RegTmDataType service behind them.
#pragma once

#include "library.h"
#include "tamrix/tamrix_data.h"

namespace tmdata {

struct TypeEntry {
    int baseKind;  // the identifier itself for an external type; else the aliased base
    TmDataCreate create;
    TmDataDestroy destroy;
    TmDataCopy copy;
};

// The entry of a registered identifier, or null.
TypeEntry *find_type(const Library &lib, int id);

// What an object of identifier `id` is made of: its kind (the base kind) and
// the entry of an external base type (null for built-in kinds).  False when
// the identifier, or the external type it rests on, is not registered.
bool resolve_type(const Library &lib, int id, int *kind, TypeEntry **external);

// RegTmDataType modes 1 (register), 2 (alias), 0 (unregister).
int register_type(Library &lib, void *create, void *destroy, void *copy);
int alias_type(Library &lib, int id);
// A base registration goes only when `destroy` is its destroy function (the
// service); from typedef, only when it has none (external types stay).
int unregister_type(Library &lib, int id, void *destroy, bool fromTypedef);

// The key delete function of type entries.
void TM_CALL free_type_entry(void *entry);

}  // namespace tmdata
