#include "resolve.h"

#include <vector>

#include "formulas.h"
#include "module_names.h"
#include "modules.h"
#include "registry.h"

namespace tmx {

namespace {

ExternalFunction *find_external(int ext_type, const char16_t *name, size_t len) {
    if (ext_type < kEntryIntFunction || ext_type > kEntryIntFunction + 2) return nullptr;
    TreeEntry *e = name_tree().find(wide_key(name, len), ext_type);
    return e ? static_cast<ExternalFunction *>(e->data) : nullptr;
}

// "M::name" for a used module M; false when memory is exhausted.
bool qualified(const char16_t *used, const char16_t *name, size_t len,
               std::vector<char16_t> *out) {
    static const char16_t kScope[] = u"::";
    try {
        out->assign(used, used + wide_length(used));
        out->insert(out->end(), kScope, kScope + 2);
        out->insert(out->end(), name, name + len);
        return true;
    } catch (...) {
        return false;
    }
}

// A formula reached by the name as written: visible from the module, else
// through module names when the name is qualified.
FormulaRecord *reached_formula(const char16_t *name, size_t len, int module) {
    if (FormulaRecord *r = visible_formula(name, len, module)) return r;
    return qualified_formula(name, len, 0);
}

// Tries `name` as a formula, then as an external function of ext_type.  So a
// library function registered under a literal "lib::f" is found unless a
// module named "lib" exports a formula f: formulas come first, as for plain
// names.
bool resolve_plain(const char16_t *name, size_t len, int module, int ext_type, Callee *out) {
    if (FormulaRecord *r = reached_formula(name, len, module)) {
        *out = {r->type + 6, uint32_t(r->header[kSelf])};
        return true;
    }
    if (ExternalFunction *f = find_external(ext_type, name, len)) {
        *out = {10, f->index};
        return true;
    }
    return false;
}

}  // namespace

FormulaRecord *visible_formula(const char16_t *name, size_t len, int module) {
    FormulaRecord *found = nullptr;
    for (int type = 1; type <= 3; ++type) {
        for (FormulaRecord *r = same_name_list(type, name, len); r; r = r->next) {
            if (same_module(r->header[kModuleNo], module)) return r;
            if (r->header[kModuleNo] > 0) found = r;
        }
    }
    return found;
}

FormulaRecord *resolve_formula(const char16_t *name, size_t len, int module) {
    if (FormulaRecord *r = reached_formula(name, len, module)) return r;
    const char16_t *const *used = used_modules(module);
    std::vector<char16_t> full;
    for (; used && *used; ++used) {
        if (!qualified(*used, name, len, &full)) return nullptr;
        if (FormulaRecord *r = reached_formula(full.data(), full.size(), module)) return r;
    }
    return nullptr;
}

bool resolve_function(const char16_t *name, int32_t len, int module, int ext_type,
                      Callee *out) {
    if (!name || len <= 0 || !out) return false;
    if (resolve_plain(name, size_t(len), module, ext_type, out)) return true;
    const char16_t *const *used = used_modules(module);
    std::vector<char16_t> full;
    for (; used && *used; ++used) {
        if (!qualified(*used, name, size_t(len), &full)) return false;
        if (resolve_plain(full.data(), full.size(), module, ext_type, out)) return true;
    }
    return false;
}

bool name_conflicts(const char16_t *name, int32_t len, int module) {
    if (!name || len <= 0) return false;
    for (int type = 1; type <= 3; ++type) {
        for (FormulaRecord *r = same_name_list(type, name, size_t(len)); r; r = r->next) {
            int other = r->header[kModuleNo];
            if (same_module(other, module) || (other > 0 && module > 0)) return true;
        }
    }
    return false;
}

}  // namespace tmx
