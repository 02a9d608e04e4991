// Compiling formulas from text at run time into formula objects:
// "sys::comfor" (a literal of the calling formula), "sys::comfors" (a string
// object) and "sys::testtmfor".
#include <climits>
#include <string>

#include "script_call.h"
#include "system_functions.h"

namespace syslib {

namespace {

constexpr char16_t kComfor[] = u"sys::comfor";
constexpr char16_t kComfors[] = u"sys::comfors";
constexpr int64_t kNoMemory = 1;  // the compilers' own code for it

// Compiles text with the type's compiler into the object, which already
// holds nothing.  Error positions go to errStart/errEnd.
int64_t compile_into(Library &lib, FormulaObject &object, const std::u16string &text, int type,
                     int module, int64_t *errStart, int64_t *errEnd) {
    void *handle = nullptr;  // in: no lock function
    int lastParam = 0, begin = 0, end = 0;
    void *data = nullptr;
    int rc;
    switch (type) {
    case 1:
        rc = lib.kernel.IntCom(text.c_str(), module, &handle, &lastParam,
                               reinterpret_cast<int64_t **>(&data), &begin, &end);
        break;
    case 2:
        rc = lib.kernel.RealCom(text.c_str(), module, &handle, &lastParam,
                                reinterpret_cast<double **>(&data), &begin, &end);
        break;
    default:
        rc = lib.kernel.ComplexCom(text.c_str(), module, &handle, &lastParam,
                                   reinterpret_cast<TmComplex **>(&data), &begin, &end);
        break;
    }
    if (rc != 0) {
        *errStart = begin;
        *errEnd = end;
        return rc;
    }
    try {
        hold_formula(lib, object, type, handle, module, data, lastParam);
    } catch (...) {
        lib.kernel.DeleteFor(type, handle);
        return kNoMemory;
    }
    return 0;
}

// The formula object behind handle, emptied: its formula deleted (or left
// for later while it runs).  Deleting may run the formula's release pass,
// which can delete the object or compile into it again, so the object is
// looked up anew each time.  Null when it is (or became) no formula object.
// Formulas left for later go first, for the same reason.
FormulaObject *empty_formula_object(Library &lib, uint32_t handle) {
    retry_deferred(lib);
    for (int round = 0; round < 8; ++round) {
        FormulaObject *object = formula_object(lib, handle);
        if (!object || !object->formula.handle) return object;
        drop_formula(lib, *object);
    }
    return nullptr;
}

bool valid_type(int64_t type) { return type >= 1 && type <= 3; }
bool valid_module(int64_t module) { return module >= INT_MIN && module <= INT_MAX; }

// The text of a wide string object (one-dimensional "wchar_s" array).
bool string_object_text(const Library &lib, uint32_t handle, std::u16string *out) {
    int kind = 0;
    if (handle == 0 || lib.data.isData(int64_t(handle), &kind) == 0 || kind != lib.wideKind)
        return false;
    auto *block = static_cast<const TmDataArray *>(lib.data.payload(int64_t(handle)));
    if (!block || !block->dims || !block->buffer || block->dims[0] != 3) return false;
    // The buffer holds a zero element just past its capacity.
    out->assign(static_cast<const char16_t *>(block->buffer));
    return true;
}

}  // namespace

bool caller_text(const Library &lib, TmCallContext *ctx, int64_t index, std::u16string *out) {
    char16_t *words = nullptr;
    int first = 1, last = 0;
    if (ctx) lib.kernel.GetForStr(ctx, &words, &first, &last);
    if (!words || index < first || index > last) return false;
    size_t n = 0;
    while (index + int64_t(n) <= last && words[index + int64_t(n)] != 0) ++n;
    out->assign(words + index, n);
    return true;
}

// comfor(object, text, type, module, &errStart, &errEnd): codes 1 not a
// formula object, 2 text outside the caller's strings, 3 type not 1-3 (or a
// module number no module can have).  The old formula goes first, also when
// the new text turns out bad.
int64_t sys_comfor(Library &lib, int64_t *args, TmCallContext *ctx) {
    const Call call{lib, ctx, kComfor, 1};
    FormulaObject *object = empty_formula_object(lib, uint32_t(uint64_t(args[0])));
    if (!object) return call.fail(1);
    std::u16string text;
    if (!caller_text(lib, ctx, args[1], &text)) return call.fail(2);
    if (!valid_type(args[2]) || !valid_module(args[3])) return call.fail(3);
    return compile_into(lib, *object, text, int(args[2]), int(args[3]), &args[4], &args[5]);
}

// comfors(object, string, type, module, &errStart, &errEnd): codes 1 not a
// formula object or not a string object, 2 type not 1-3 (or a module number
// no module can have).
int64_t sys_comfors(Library &lib, int64_t *args, TmCallContext *ctx) {
    const Call call{lib, ctx, kComfors, 1};
    FormulaObject *object = empty_formula_object(lib, uint32_t(uint64_t(args[0])));
    if (!object) return call.fail(1);
    std::u16string text;
    if (!string_object_text(lib, uint32_t(uint64_t(args[1])), &text)) return call.fail(1);
    if (!valid_type(args[2]) || !valid_module(args[3])) return call.fail(2);
    return compile_into(lib, *object, text, int(args[2]), int(args[3]), &args[4], &args[5]);
}

// testtmfor(object): the held formula's handle, 0 for anything else.
int64_t sys_testtmfor(Library &lib, int64_t *args, TmCallContext *) {
    FormulaObject *object = formula_object(lib, uint32_t(uint64_t(args[0])));
    return object ? int64_t(held_formula_handle(lib, *object)) : 0;
}

}  // namespace syslib
