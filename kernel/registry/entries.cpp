// External functions, constants and shared variables: the entries of types
// 4 to 12 and their exports.
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "../address_table.h"
#include "formulas.h"
#include "modules.h"
#include "registry.h"

namespace tmx {

namespace {

enum RegisterResult : int {
    kRegistered = 0,
    kNameExists = 1,
    kOutOfMemory = 2,
    kEmptyName = 3,
    kBadType = 4,
};

// A shared variable's cell.  `value` comes first: its address is what the
// address table hands the evaluators.
struct SharedCell {
    alignas(16) unsigned char value[16];
    uint32_t index;
};

void release_external(void *data) {
    auto *f = static_cast<ExternalFunction *>(data);
    if (g_in_teardown)
        free_referrers(f->referrers);
    else
        invalidate_referrers(f->referrers, f->index, kInvalidFunctionRemoved);
    address_release(f->index);
    delete f;
}

void release_shared_cell(void *data) {
    auto *cell = static_cast<SharedCell *>(data);
    address_release(cell->index);
    std::free(cell);
}

// Key of a shared variable: the name alone (common), or |module| in decimal
// wide characters followed by the name.
bool shared_key(int module, const char16_t *name, int32_t len, bool common,
                std::vector<char16_t> *out) {
    try {
        out->clear();
        if (!common) {
            char16_t digits[10];
            out->assign(digits, digits + decimal_digits(module_abs(module), digits));
        }
        out->insert(out->end(), name, name + len);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

const void *find_constant(int type, const char16_t *name, int32_t len) {
    if (type < kEntryIntConst || type > kEntryIntConst + 2 || !name || len <= 0) return nullptr;
    TreeEntry *e = name_tree().find(wide_key(name, size_t(len)), type);
    return e ? e->data : nullptr;
}

uint32_t shared_cell(int type, int module, const char16_t *name, int32_t len, bool common) {
    if (type < kEntryIntShared || type > kEntryIntShared + 2 || !name || len <= 0) return 0;
    std::vector<char16_t> key;
    if (!shared_key(module, name, len, common, &key)) return 0;
    if (TreeEntry *e = name_tree().find(wide_key(key), type))
        return static_cast<SharedCell *>(e->data)->index;

    auto *cell = static_cast<SharedCell *>(std::calloc(1, sizeof(SharedCell)));
    if (!cell) return 0;
    cell->index = address_register(cell->value, AddressKind::SharedCell);
    if (!cell->index) {
        std::free(cell);
        return 0;
    }
    if (name_tree().insert(wide_key(key), type, cell, release_shared_cell) !=
        NameTree::Insert::Added) {
        release_shared_cell(cell);
        return 0;
    }
    return cell->index;
}

int file_constant(int type, const char16_t *name, size_t len, const void *value,
                  ConstantOrigin origin) {
    if (type < kEntryIntConst || type > kEntryIntConst + 2 || !value) return kBadType;
    if (!name || len == 0) return kEmptyName;
    TreeKey key = wide_key(name, len);
    // The cell may still hold a deleted constant's value that old addresses
    // read; it is overwritten only once the new constant is certain.
    if (name_tree().find(key, type)) return kNameExists;
    ConstantCell *cell = constant_cell(type, key);
    if (!cell) return kOutOfMemory;
    switch (name_tree().insert(key, type, cell, keep_constant_cell)) {
    case NameTree::Insert::Added: break;
    case NameTree::Insert::Exists: return kNameExists;
    default: return kOutOfMemory;
    }
    // memmove: a host may pass the address it got for this very name.
    std::memmove(cell->value, value, type == kEntryIntConst + 2 ? 16 : 8);
    cell->origin = origin;
    return kRegistered;
}

}  // namespace tmx

extern "C" {

TM_API int TM_CALL SetFunction(int type, const char16_t *name, void *function, int paramCount) {
    using namespace tmx;
    if (type < kEntryIntFunction || type > kEntryIntFunction + 2 || !function) return kBadType;
    if (!name || !name[0]) return kEmptyName;
    TreeKey key = wide_key(name, wide_length(name));
    if (name_tree().find(key, type)) return kNameExists;

    auto *f = new (std::nothrow) ExternalFunction{function, paramCount, nullptr, 0, int8_t(type)};
    if (!f) return kOutOfMemory;
    f->index = address_register(f, AddressKind::ExternalFunction);
    if (!f->index) {
        delete f;
        return kOutOfMemory;
    }
    if (name_tree().insert(key, type, f, release_external) != NameTree::Insert::Added) {
        address_release(f->index);
        delete f;
        return kOutOfMemory;
    }
    return kRegistered;
}

TM_API int TM_CALL SetConst(int type, const char16_t *name, const void *value) {
    using namespace tmx;
    if (type < kEntryIntConst || type > kEntryIntConst + 2 || !value) return kBadType;
    if (!name || !name[0]) return kEmptyName;
    return file_constant(type, name, wide_length(name), value, ConstantOrigin::Host);
}

TM_API void TM_CALL DeleteConstOrFunction(int type, const char16_t *name) {
    using namespace tmx;
    if (type < kEntryIntFunction || type > kEntryIntConst + 2 || !name || !name[0]) return;
    TreeKey key = wide_key(name, wide_length(name));
    if (type >= kEntryIntConst) {
        // Constants of "const" stay, and so does anything not filed as a constant.
        TreeEntry *e = name_tree().find(key, type);
        const ConstantCell *cell = e ? cell_of(e) : nullptr;
        if (!cell || cell->origin != ConstantOrigin::Host) return;
    }
    name_tree().remove(key, type);
}

}  // extern "C"
