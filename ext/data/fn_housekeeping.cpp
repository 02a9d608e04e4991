// delete and the housekeeping functions: clearing, counting, limits, type
// aliases, type and length queries, and the handle part of a number.
#include <bit>
#include <climits>
#include <cstring>
#include <string>

#include "args.h"
#include "kinds.h"
#include "objects.h"
#include "report.h"
#include "script_functions.h"
#include "tamrix/tamrix_ext.h"
#include "types.h"

namespace tmdata {

namespace {

template <typename A>
typename A::Result script_delete(const A &a) {
    if (a.last() >= 0) delete_object_fully(*library(), a.handle(0));
    return A::none();
}

int64_t del_all(const IntArgs &a) {
    Library &lib = *library();
    if (lib.liveCount != 0 && !delete_all_objects(lib)) {
        report(a.ctx(), u"DelAllTMD：致命错误！无法锁定TmData数据。");
    }
    return 0;
}

int64_t del_all_num(const IntArgs &) { return library()->clearCount; }

// The listing NowTMDNum prints while it recounts: five handles a line, the
// first `shown` of them.
struct Listing {
    TmMessageFn print = nullptr;
    int64_t shown = 0;
    int64_t count = 0;
};
Listing g_listing;

int TM_CALL count_object(char *key, int len, void *) {
    Listing &l = g_listing;
    if (l.count < l.shown && l.print && len == 4) {
        int32_t handle;
        std::memcpy(&handle, key, 4);
        if (l.count % 5 == 0) l.print(u"\r\nTmData：");
        std::u16string text;
        for (char c : std::to_string(handle)) text += char16_t(c);
        text += u' ';
        l.print(text.c_str());
    }
    ++l.count;
    return 1;
}

int64_t now_num(const IntArgs &a) {
    Library &lib = *library();
    lib.liveCount = 0;
    constexpr char kMessageKey[] = "TmMessage";
    g_listing = {reinterpret_cast<TmMessageFn>(
                     lib.kernel.SearchKey(kMessageKey, int(sizeof kMessageKey - 1), 256)),
                 a.last() >= 0 ? a.integer(0) : 0, 0};
    if (g_listing.print) g_listing.print(u"\r\n");
    char key[8];
    lib.kernel.EnumKeyTypeValue(lib.objectKeyType, key, int(sizeof key), count_object);
    lib.liveCount = g_listing.count;
    if (g_listing.print) {
        if (g_listing.count > g_listing.shown) g_listing.print(u" ... ...");
        g_listing.print(u"\r\n");
    }
    return lib.liveCount;
}

int64_t set_max(const IntArgs &a) {
    Library &lib = *library();
    if (a.last() >= 0 && a.integer(0) >= 0) {
        lib.objectLimit = int(std::min<int64_t>(a.integer(0), INT_MAX));
    }
    return lib.objectLimit;
}

int64_t set_recur_max(const IntArgs &a) {
    Library &lib = *library();
    if (a.last() >= 0 && a.integer(0) >= kMinRecursionLimit) {
        lib.recursionLimit = int(std::min<int64_t>(a.integer(0), INT_MAX));
    }
    return lib.recursionLimit;
}

int64_t type_def(const IntArgs &a) {
    Library &lib = *library();
    if (a.last() < 1) return 0;
    const int id = a.type_id(1);
    if (a.integer(0) != 0) return alias_type(lib, id);
    return unregister_type(lib, id, nullptr, true);
}

int64_t tmd_type(const IntArgs &a) {
    if (a.last() < 0) return 0;
    ObjectEntry *e = find_object(a.handle(0));
    if (a.last() >= 1) a.put_integer(1, e ? e->kind : 0);
    return e ? e->typeId : 0;
}

int64_t tmd_len(const IntArgs &a) {
    if (a.last() < 0) return -1;
    ObjectEntry *e = find_object(a.handle(0));
    if (e && is_scalar_kind(e->kind)) return 0;
    if (e && is_array_kind(e->kind)) {
        const int *dims = static_cast<TmDataArray *>(e->payload)->dims;
        if (a.last() >= 1) {
            a.put_integer(1, dims[0] - 2);
            for (int k = 0; k < dims[0] - 2 && 2 + k <= a.last(); ++k) {
                a.put_integer(2 + k, dims[2 + k]);
            }
        }
        return dims[1];
    }
    if (e && e->kind == TMD_CLASS) {
        auto *block = static_cast<TmDataClassBlock *>(e->payload);
        if (a.last() >= 1) a.put_integer(1, block->capacity);
        return block->length;
    }
    report(a.ctx(), u"TMDLen：未知数据类型或不能获得该数据长度。");
    return -1;
}

int64_t associated(const IntArgs &a) { return a.last() >= 0 ? int64_t(int32_t(a.handle(0))) : 0; }

double real_associated_of(const RealArgs &a) {
    return a.last() >= 0 ? double(int32_t(a.handle(0))) : 0.0;
}

int64_t null_of(const IntArgs &a) {
    if (a.last() < 0) return 0;
    a.put_integer(0, a.integer(0) & ~int64_t(0xFFFFFFFF));
    return a.integer(0);
}

// A handle's bit pattern loses its handle bits; a handle held as a number
// becomes 0; any other number keeps what clearing its low 32 bits leaves.
double real_null_of(const RealArgs &a) {
    if (a.last() < 0) return 0.0;
    double *slot = a.slots();
    if (!extproto::is_handle_bits(*slot) && extproto::real_slot_handle(*slot) != 0) {
        *slot = 0.0;
    } else {
        *slot = std::bit_cast<double>(std::bit_cast<uint64_t>(*slot) & ~uint64_t(0xFFFFFFFF));
    }
    return *slot;
}

int64_t ftod(const IntArgs &a) {
    if (a.last() < 0) return 0;
    float f = std::bit_cast<float>(uint32_t(a.integer(0)));
    a.put_integer(0, std::bit_cast<int64_t>(double(f)));
    return a.integer(0);
}

int64_t dtof(const IntArgs &a) {
    if (a.last() < 0) return 0;
    auto bits = uint64_t(std::bit_cast<uint32_t>(float(a.real_bits(0))));
    a.put_integer(0, int64_t((uint64_t(a.integer(0)) & ~uint64_t(0xFFFFFFFF)) | bits));
    return a.integer(0);
}

}  // namespace

TMDATA_INT_ENTRY(int_delete, script_delete)
TMDATA_REAL_ENTRY(real_delete, script_delete)
TMDATA_INT_ENTRY(int_del_all, del_all)
TMDATA_INT_ENTRY(int_del_all_num, del_all_num)
TMDATA_INT_ENTRY(int_now_num, now_num)
TMDATA_INT_ENTRY(int_set_max, set_max)
TMDATA_INT_ENTRY(int_set_recur_max, set_recur_max)
TMDATA_INT_ENTRY(int_typedef, type_def)
TMDATA_INT_ENTRY(int_type, tmd_type)
TMDATA_INT_ENTRY(int_len, tmd_len)
TMDATA_INT_ENTRY(int_associated, associated)
TMDATA_REAL_ENTRY(real_associated, real_associated_of)
TMDATA_INT_ENTRY(int_null, null_of)
TMDATA_REAL_ENTRY(real_null, real_null_of)
TMDATA_INT_ENTRY(int_ftod, ftod)
TMDATA_INT_ENTRY(int_dtof, dtof)

// Complex formulas carry a handle in the real part.
void TM_CALL complex_delete(TmComplex *result, int m, TmComplex *slots, TmCallContext *) {
    *result = m >= 0 ? slots[0] : TmComplex{0, 0};
    if (m >= 0 && library()) {
        delete_object_fully(*library(), extproto::real_slot_handle(slots[0].re));
    }
}

void TM_CALL complex_associated(TmComplex *result, int m, TmComplex *slots, TmCallContext *) {
    double h = m >= 0 ? double(int32_t(extproto::real_slot_handle(slots[0].re))) : 0.0;
    *result = {h, 0.0};
}

void TM_CALL complex_null(TmComplex *result, int m, TmComplex *slots, TmCallContext *) {
    if (m < 0) {
        *result = {0, 0};
        return;
    }
    double *re = &slots[0].re;
    if (!extproto::is_handle_bits(*re) && extproto::real_slot_handle(*re) != 0) {
        *re = 0.0;
    } else {
        *re = std::bit_cast<double>(std::bit_cast<uint64_t>(*re) & ~uint64_t(0xFFFFFFFF));
    }
    *result = slots[0];
}

}  // namespace tmdata
