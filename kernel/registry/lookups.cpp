// Formula lookups for hosts and external functions: GetFor, IsFor,
// ParaModify, GetForStr, and the 32-bit handles scripts carry in numbers.
#include "../address_table.h"
#include "formulas.h"
#include "modules.h"
#include "registry.h"
#include "resolve.h"

namespace tmx {

namespace {

struct HandleKey {
    char bytes[4];
    explicit HandleKey(uint32_t handle) {
        for (int i = 0; i < 4; ++i) bytes[i] = char(handle >> (8 * i) & 0xFF);
    }
    TreeKey key() const { return {bytes, 4}; }
};

bool valid_type(int type) { return type >= 1 && type <= 3; }

// A number-carried handle sits in the low 32 bits of a pointer-sized value.
uint32_t low32(const void *p) { return uint32_t(reinterpret_cast<uintptr_t>(p)); }

// The module a call context's formula belongs to.  False for a context that
// names no formula the kernel knows.
bool context_module(const void *context, int *module) {
    *module = 0;
    if (!context) return true;
    const auto *ctx = static_cast<const TmCallContext *>(context);
    const FormulaRecord *caller = reachable_formula(ctx->hFor);
    if (!caller) return false;
    *module = caller->header[kModuleNo];
    return true;
}

// GetFor's rule for one list: a formula of the caller's own module at once,
// else the last public one met.
FormulaRecord *pick_from_list(FormulaRecord *list, int module) {
    FormulaRecord *found = nullptr;
    for (FormulaRecord *r = list; r; r = r->next) {
        if (same_module(r->header[kModuleNo], module)) return r;
        if (r->header[kModuleNo] > 0) found = r;
    }
    return found;
}

bool matches(const FormulaRecord *r, int module, const void *data, int param_count) {
    return r->header[kModuleNo] == module && r->data == data &&
           r->header[kLastParam] == param_count;
}

bool list_holds(FormulaRecord *list, const void *handle, int module, const void *data,
                int param_count) {
    for (FormulaRecord *r = list; r; r = r->next)
        if (r == handle) return matches(r, module, data, param_count);
    return false;
}

}  // namespace

uint32_t issue_formula_handle(FormulaRecord *r) {
    if (!r || !r->header || !valid_type(r->type)) return 0;
    uint32_t handle = uint32_t(r->header[kSelf]);
    void *type_code = reinterpret_cast<void *>(intptr_t(r->type));
    if (name_tree().insert(HandleKey(handle).key(), kEntryHandle, type_code, nullptr) ==
        NameTree::Insert::NoMemory)
        return 0;
    r->code[1] |= kFlagHandleIssued;
    return handle;
}

FormulaRecord *formula_from_handle(uint32_t handle, int type) {
    if (handle == 0 || !valid_type(type)) return nullptr;
    TreeEntry *e = name_tree().find(HandleKey(handle).key(), kEntryHandle);
    if (!e || reinterpret_cast<intptr_t>(e->data) != type) return nullptr;
    void *record = address_lookup(handle, AddressKind::Formula);
    return live_formula(record, type);
}

void revoke_formula_handle(FormulaRecord *r) {
    name_tree().remove(HandleKey(uint32_t(r->header[kSelf])).key(), kEntryHandle);
}

}  // namespace tmx

extern "C" {

TM_API bool TM_CALL GetFor(const char16_t *name, int type, void *contextOrHandle, int *module,
                           void **hFor, void **data, int *paramCount) {
    using namespace tmx;
    FormulaRecord *r = nullptr;
    if (!name) {
        r = formula_from_handle(low32(contextOrHandle), type);
    } else {
        int caller = 0;
        if (!context_module(contextOrHandle, &caller)) return false;
        size_t len = wide_length(name);
        if (valid_type(type)) {
            r = pick_from_list(same_name_list(type, name, len), caller);
        } else if (valid_type(-type)) {
            r = resolve_formula(name, len, caller);
            if (r && r->type != -type) r = nullptr;
        }
    }
    if (!r) return false;
    if (module) *module = r->header[kModuleNo];
    if (hFor) *hFor = r;
    if (data) *data = r->data;
    if (paramCount) *paramCount = r->header[kLastParam];
    return true;
}

TM_API bool TM_CALL IsFor(const char16_t *name, int type, int module, void *hFor, void *data,
                          int paramCount) {
    using namespace tmx;
    if (!valid_type(type) || !hFor) return false;
    if (!name) {
        FormulaRecord *r = formula_from_handle(low32(hFor), type);
        return r && matches(r, module, data, paramCount);
    }
    size_t len = wide_length(name);
    FormulaRecord *list = len ? same_name_list(type, name, len) : anonymous_list(type);
    return list_holds(list, hFor, module, data, paramCount);
}

TM_API bool TM_CALL ParaModify(int type, void *hFor) {
    using namespace tmx;
    if (!valid_type(type)) return false;
    FormulaRecord *r = reachable_formula(hFor);
    return r && r->type == type && (r->code[1] & kFlagModifiesParams) != 0;
}

TM_API void TM_CALL GetForStr(void *hFor, char16_t **str, int *first, int *last) {
    using namespace tmx;
    FormulaRecord *r = nullptr;
    if (hFor) {
        r = reachable_formula(static_cast<TmCallContext *>(hFor)->hFor);
    } else if (str && last) {
        r = formula_from_handle(low32(*str), *last);
    }
    if (!r) {
        // An empty range: no index lies between first and last.
        if (str) *str = nullptr;
        if (first) *first = 1;
        if (last) *last = 0;
        return;
    }
    if (str) *str = reinterpret_cast<char16_t *>(r->code);
    if (first) *first = r->header[kFirstString];
    if (last) *last = r->header[kCodeStart] / 2 - 1;
}

}  // extern "C"
