#include "formula_object.h"

#include <new>

#include "library.h"

namespace syslib {

namespace {

// The layout every formula handle points at: the code, header and data
// arrays; header entry 8 holds the formula's own handle.
struct FormulaRecordView {
    unsigned char *code;
    int32_t *header;
    void *data;
};
constexpr int kSelfEntry = 8;

void *TM_CALL create_object() { return new (std::nothrow) FormulaObject; }

void TM_CALL destroy_object(void *object) {
    auto *formulaObject = static_cast<FormulaObject *>(object);
    if (!formulaObject) return;
    if (Library *lib = library()) {
        try {
            // A release pass may compile into the object again: a few
            // rounds, then the kernel frees what is left at its end.
            for (int round = 0; round < 8 && formulaObject->formula.handle; ++round)
                drop_formula(*lib, *formulaObject);
        } catch (...) {
            // No memory to remember a running formula: the kernel frees it.
        }
    }
    delete formulaObject;
}

bool is_live(const Library &lib, const HeldFormula &f) {
    if (!f.handle) return false;
    return lib.kernel.IsFor(f.name.c_str(), f.type, f.module, f.handle, f.data, f.lastParam);
}

// Deletes a live formula; false when the kernel kept it (it is running).
bool delete_formula(const Library &lib, const HeldFormula &f) {
    if (!is_live(lib, f)) return true;
    lib.kernel.DeleteFor(f.type, f.handle);
    return !is_live(lib, f);
}

}  // namespace

bool register_formula_type(Library &lib) {
    lib.formulaType = lib.data.regType(1, reinterpret_cast<void *>(create_object),
                                       reinterpret_cast<void *>(destroy_object), nullptr);
    return lib.formulaType != 0;
}

void unregister_formula_type(Library &lib) {
    if (!lib.formulaType) return;
    int type = lib.formulaType;
    lib.data.regType(0, &type, reinterpret_cast<void *>(destroy_object), nullptr);
    lib.formulaType = 0;
}

FormulaObject *formula_object(const Library &lib, uint32_t handle) {
    int kind = 0;
    if (handle == 0 || lib.formulaType == 0) return nullptr;
    if (lib.data.isData(int64_t(handle), &kind) == 0 || kind != lib.formulaType) return nullptr;
    return static_cast<FormulaObject *>(lib.data.payload(int64_t(handle)));
}

void hold_formula(const Library &lib, FormulaObject &object, int type, void *handle, int module,
                  void *data, int lastParam) {
    HeldFormula f;
    f.type = type;
    f.handle = handle;
    f.module = module;
    f.data = data;
    f.lastParam = lastParam;
    // The name as the formula was filed under it, for IsFor.
    int asked = type;
    auto name = reinterpret_cast<const char16_t *>(
        lib.kernel.ExMsgWithTamrix(2, handle, &asked, nullptr));
    if (name) f.name = name;
    object.formula = std::move(f);
}

void drop_formula(Library &lib, FormulaObject &object) {
    HeldFormula f = std::move(object.formula);
    object.formula = HeldFormula{};
    if (!delete_formula(lib, f)) lib.deferred.push_back(std::move(f));
}

uint32_t held_formula_handle(const Library &lib, FormulaObject &object) {
    if (!is_live(lib, object.formula)) {
        object.formula = HeldFormula{};
        return 0;
    }
    auto *record = static_cast<const FormulaRecordView *>(object.formula.handle);
    return uint32_t(record->header[kSelfEntry]);
}

void retry_deferred(Library &lib) {
    auto &list = lib.deferred;
    for (size_t i = 0; i < list.size();) {
        if (delete_formula(lib, list[i])) {
            list.erase(list.begin() + long(i));
        } else {
            ++i;
        }
    }
}

}  // namespace syslib
