#include "modules.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "module_names.h"
#include "registry.h"

namespace tmx {

StaticReleaseHook g_static_release_hook = nullptr;

namespace {

template <class Char> int write_decimal(uint32_t n, Char *buf) {
    Char tmp[10];
    int len = 0;
    do {
        tmp[len++] = Char('0' + n % 10);
        n /= 10;
    } while (n);
    for (int i = 0; i < len; ++i) buf[i] = tmp[len - 1 - i];
    return len;
}

struct ModuleKey {
    char digits[10];
    int len;
    explicit ModuleKey(int module) : len(write_decimal(module_abs(module), digits)) {}
    TreeKey key() const { return {digits, size_t(len)}; }
};

void free_used_modules(ModuleRecord *record) {
    std::free(record->used);
    std::free(record->used_chars);
    record->used = nullptr;
    record->used_chars = nullptr;
}

void release_module_record(void *data) {
    auto *record = static_cast<ModuleRecord *>(data);
    drop_module_name(record);
    free_used_modules(record);
    delete record;
}

// Module variables are keyed by the module's wide digits followed by the name;
// a name never starts with a digit, so a following digit means a longer
// module number (module 1 must not take module 12's variables).
bool starts_with_non_digit(TreeKey rest) {
    if (rest.size < 2) return false;
    auto lo = uint8_t(rest.data[0]);
    auto hi = uint8_t(rest.data[1]);
    char16_t c = char16_t(lo | hi << 8);
    return c < u'0' || c > u'9';
}

void remove_module_variables(int module) {
    char16_t digits[10];
    int len = write_decimal(module_abs(module), digits);
    TreeKey prefix = wide_key(digits, size_t(len));
    for (int type = kEntryIntShared; type < kEntryIntShared + 3; ++type)
        name_tree().remove_prefixed(type, prefix, starts_with_non_digit);
}

}  // namespace

int decimal_digits(uint32_t n, char *buf) { return write_decimal(n, buf); }
int decimal_digits(uint32_t n, char16_t *buf) { return write_decimal(n, buf); }

ModuleRecord *find_module(int module) {
    TreeEntry *e = name_tree().find(ModuleKey(module).key(), kEntryModule);
    return e ? static_cast<ModuleRecord *>(e->data) : nullptr;
}

// Builds the new list completely before dropping the old one, so a failure
// leaves the module's list as it was.
bool set_used_modules(ModuleRecord *record, const NameText *names, int count) {
    if (count <= 0) {
        free_used_modules(record);
        return true;
    }
    size_t chars = 0;
    for (int i = 0; i < count; ++i) chars += names[i].len + 1;
    size_t slots = size_t(count) + 1;
    auto *list = static_cast<const char16_t **>(std::malloc(slots * sizeof(char16_t *)));
    auto *text = static_cast<char16_t *>(std::malloc(chars * sizeof(char16_t)));
    if (!list || !text) {
        std::free(list);
        std::free(text);
        return false;
    }
    char16_t *at = text;
    for (int i = 0; i < count; ++i) {
        std::memcpy(at, names[i].text, names[i].len * sizeof(char16_t));
        at[names[i].len] = 0;
        list[i] = at;
        at += names[i].len + 1;
    }
    list[count] = nullptr;
    free_used_modules(record);
    record->used = list;
    record->used_chars = text;
    return true;
}

ModuleRecord *module_record(int module) {
    if (ModuleRecord *existing = find_module(module)) return existing;
    auto *record = new (std::nothrow) ModuleRecord;
    if (!record) return nullptr;
    auto rc = name_tree().insert(ModuleKey(module).key(), kEntryModule, record,
                                 release_module_record);
    if (rc != NameTree::Insert::Added) {
        delete record;
        return nullptr;
    }
    return record;
}

void remove_module(int module) {
    remove_module_variables(module);
    name_tree().remove(ModuleKey(module).key(), kEntryModule);
}

void module_formula_removed(int module) {
    ModuleRecord *record = find_module(module);
    if (!record || record->formula_count <= 0) return;
    if (--record->formula_count == 0) remove_module(module);
}

// --- front end ----------------------------------------------------------------

bool module_lock_allows(int module, TmLockFunction lock) {
    if (!lock) return true;
    const ModuleRecord *record = find_module(module);
    return !record || !record->lock || record->lock == lock;
}

bool module_formula_added(int module) {
    ModuleRecord *record = module_record(module);
    if (!record) return false;
    ++record->formula_count;
    return true;
}

const char16_t *const *used_modules(int module) {
    const ModuleRecord *record = find_module(module);
    return record ? record->used : nullptr;
}

}  // namespace tmx
