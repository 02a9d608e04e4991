#include "module_names.h"

#include <cstring>
#include <new>
#include <vector>

#include "formulas.h"
#include "modules.h"
#include "name_tree.h"

namespace tmx {

namespace {

constexpr char16_t kScope[] = u"::";

bool same_name(NameText a, NameText b) {
    return a.len == b.len && std::memcmp(a.text, b.text, a.len * sizeof(char16_t)) == 0;
}

TreeKey key_of(NameText name) { return wide_key(name.text, name.len); }

void free_module_name(ModuleName *mn) {
    if (!mn) return;
    delete[] mn->subs;
    delete[] mn->chars;
    delete mn;
}

// One allocation per array; every text is copied NUL-ended into `chars`.
ModuleName *copy_module_name(int module, const NameText *names, int count) {
    size_t total = 0;
    for (int i = 0; i < count; ++i) total += names[i].len + 1;
    auto *mn = new (std::nothrow) ModuleName{module, count - 1, {}, nullptr, nullptr, false};
    if (!mn) return nullptr;
    mn->chars = new (std::nothrow) char16_t[total];
    mn->subs = new (std::nothrow) NameText[size_t(count)];
    if (!mn->chars || !mn->subs) {
        free_module_name(mn);
        return nullptr;
    }
    char16_t *at = mn->chars;
    for (int i = 0; i < count; ++i) {
        std::memcpy(at, names[i].text, names[i].len * sizeof(char16_t));
        at[names[i].len] = 0;
        NameText copy{at, names[i].len};
        if (i == 0)
            mn->own = copy;
        else
            mn->subs[i - 1] = copy;
        at += names[i].len + 1;
    }
    return mn;
}

bool lists_subordinate(const ModuleName *mn, NameText name) {
    for (int i = 0; i < mn->count; ++i)
        if (same_name(mn->subs[i], name)) return true;
    return false;
}

// Position of the next "::" at or after `from`, or len.
size_t next_scope(const char16_t *name, size_t len, size_t from) {
    for (size_t i = from; i + 1 < len; ++i)
        if (name[i] == kScope[0] && name[i + 1] == kScope[1]) return i;
    return len;
}

// Walks the module segments of A::B::f: A must be a module name and each
// further segment a subordinate of the one before.  Sets *formula to f.
ModuleName *named_path(const char16_t *name, size_t len, NameText *formula) {
    ModuleName *current = nullptr;
    size_t start = 0;
    for (;;) {
        size_t end = next_scope(name, len, start);
        NameText segment{name + start, end - start};
        if (segment.len == 0) return nullptr; // "::f", "A::::f", "A::"
        if (end == len) {
            *formula = segment;
            return current;
        }
        if (current && !lists_subordinate(current, segment)) return nullptr;
        current = find_module_name(segment.text, segment.len);
        if (!current) return nullptr;
        start = end + 2;
    }
}

// The exported formula `name` of the module, of `type` or any type when 0.
// A module holds a name only once across the three types.
FormulaRecord *exported_formula(int module, NameText name, int type) {
    for (int t = 1; t <= 3; ++t) {
        if (type != 0 && t != type) continue;
        for (FormulaRecord *r = same_name_list(t, name.text, name.len); r; r = r->next) {
            if (same_module(r->header[kModuleNo], module) && (r->code[1] & kFlagExported))
                return r;
        }
    }
    return nullptr;
}

// Breadth-first from `start`, so the first match has the smallest depth.
// Marked records are exactly those in `queue`, which lets every exit clear
// the marks.
class ExportSearch {
public:
    ExportSearch(NameText formula, int type) : formula_(formula), type_(type) {}
    ExportSearch(const ExportSearch &) = delete;
    ExportSearch &operator=(const ExportSearch &) = delete;
    ~ExportSearch() {
        for (ModuleName *mn : queue_) mn->visited = false;
    }

    FormulaRecord *run(ModuleName *start) {
        if (!enqueue(start)) return nullptr;
        for (size_t i = 0; i < queue_.size(); ++i) {
            ModuleName *mn = queue_[i];
            if (FormulaRecord *r = exported_formula(mn->module, formula_, type_)) return r;
            for (int s = 0; s < mn->count; ++s) {
                ModuleName *sub = find_module_name(mn->subs[s].text, mn->subs[s].len);
                if (sub && !sub->visited && !enqueue(sub)) return nullptr;
            }
        }
        return nullptr;
    }

private:
    bool enqueue(ModuleName *mn) {
        try {
            queue_.push_back(mn);
        } catch (...) {
            return false;
        }
        mn->visited = true;
        return true;
    }

    NameText formula_;
    int type_;
    std::vector<ModuleName *> queue_;
};

}  // namespace

int name_module(ModuleRecord *record, int module, const NameText *names, int count) {
    if (record->name) return kAlreadyNamed;
    if (count < 1 || names[0].len == 0) return kNameInsertFailed;
    if (find_module_name(names[0].text, names[0].len)) return kNameTaken;
    ModuleName *mn = copy_module_name(module, names, count);
    if (!mn) return kNameNoMemory;
    switch (name_tree().insert(key_of(mn->own), kEntryModuleName, mn, nullptr)) {
    case NameTree::Insert::Added:
        record->name = mn;
        return kNamed;
    case NameTree::Insert::Exists:
        free_module_name(mn);
        return kNameTaken;
    case NameTree::Insert::NoMemory:
        break;
    }
    free_module_name(mn);
    return kNameNoMemory;
}

ModuleName *find_module_name(const char16_t *name, size_t len) {
    if (!name || len == 0) return nullptr;
    TreeEntry *e = name_tree().find(wide_key(name, len), kEntryModuleName);
    return e ? static_cast<ModuleName *>(e->data) : nullptr;
}

void drop_module_name(ModuleRecord *record) {
    ModuleName *mn = record->name;
    if (!mn) return;
    record->name = nullptr;
    // Only this module's entry: while the whole tree is being cleared the
    // entry may already be gone, and the key may then name nothing.
    TreeEntry *e = name_tree().find(key_of(mn->own), kEntryModuleName);
    if (e && e->data == mn) name_tree().remove(key_of(mn->own), kEntryModuleName);
    free_module_name(mn);
}

FormulaRecord *qualified_formula(const char16_t *name, size_t len, int type) {
    if (!name || next_scope(name, len, 0) == len) return nullptr;
    NameText formula{};
    ModuleName *start = named_path(name, len, &formula);
    if (!start) return nullptr;
    ExportSearch search(formula, type);
    return search.run(start);
}

}  // namespace tmx
