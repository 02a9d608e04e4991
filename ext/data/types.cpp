#include "types.h"

#include <cstdlib>

#include "kinds.h"
#include "objects.h"

namespace tmdata {

namespace {

constexpr int kLastTypeId = -10000000;

// Files the entry under the next free identifier (the kernel refuses a taken
// one with 1, and the search goes on downward); 0 when none is left or the
// registry refuses otherwise, the entry then freed.
int file_type(Library &lib, TypeEntry *entry, bool selfBased) {
    while (lib.nextTypeId > kLastTypeId) {
        int id = lib.nextTypeId;
        if (selfBased) entry->baseKind = id;
        void *existing = nullptr;
        int rc = lib.kernel.InsertKey(&id, 4, lib.typeKeyType, entry, free_type_entry, &existing);
        if (rc == 0) return id;
        if (rc != 1) break;
        --lib.nextTypeId;
    }
    std::free(entry);
    return 0;
}

TypeEntry *new_entry() { return static_cast<TypeEntry *>(std::calloc(1, sizeof(TypeEntry))); }

}  // namespace

void TM_CALL free_type_entry(void *entry) { std::free(entry); }

TypeEntry *find_type(const Library &lib, int id) {
    if (!is_registered_id(id)) return nullptr;
    return static_cast<TypeEntry *>(lib.kernel.SearchKey(&id, 4, lib.typeKeyType));
}

bool resolve_type(const Library &lib, int id, int *kind, TypeEntry **external) {
    *external = nullptr;
    if (is_builtin_kind(id)) {
        *kind = id;
        return true;
    }
    TypeEntry *entry = find_type(lib, id);
    if (!entry) return false;
    *kind = entry->baseKind;
    if (is_builtin_kind(entry->baseKind)) return true;
    *external = entry->baseKind == id ? entry : find_type(lib, entry->baseKind);
    return *external != nullptr;
}

int register_type(Library &lib, void *create, void *destroy, void *copy) {
    if (!create || !destroy) return 0;
    TypeEntry *entry = new_entry();
    if (!entry) return 0;
    entry->create = reinterpret_cast<TmDataCreate>(create);
    entry->destroy = reinterpret_cast<TmDataDestroy>(destroy);
    entry->copy = reinterpret_cast<TmDataCopy>(copy);
    return file_type(lib, entry, true);
}

// An alias takes the base kind of what it names; for an external base it
// also carries the base's functions, so it works while the base lives.
int alias_type(Library &lib, int id) {
    TypeEntry base{};
    if (is_builtin_kind(id)) {
        base.baseKind = id;
    } else {
        TypeEntry *named = find_type(lib, id);
        if (!named) return 0;
        base = *named;
        if (!is_builtin_kind(base.baseKind) && base.baseKind != id) {
            TypeEntry *root = find_type(lib, base.baseKind);
            if (!root) return 0;
            base = *root;
        }
    }
    TypeEntry *entry = new_entry();
    if (!entry) return 0;
    *entry = base;
    return file_type(lib, entry, false);
}

int unregister_type(Library &lib, int id, void *destroy, bool fromTypedef) {
    TypeEntry *entry = find_type(lib, id);
    if (!entry) return 0;
    bool base = entry->baseKind == id;
    if (base) {
        if (fromTypedef ? entry->destroy != nullptr
                        : reinterpret_cast<void *>(entry->destroy) != destroy) {
            return 0;
        }
        // Objects of the type may exist; they cannot outlive its functions.
        if (lib.liveCount != 0 || lib.handles.size() != 0) delete_all_objects(lib);
    }
    lib.kernel.DeletePrivateKey(&id, 4, lib.typeKeyType, free_type_entry);
    return 1;
}

}  // namespace tmdata
