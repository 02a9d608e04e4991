// The compile front ends RealCom, IntCom and ComplexCom: one path, each with
// its own type.  They own the grow-and-restart protocol: a
// compiler that finds a work buffer too small returns the buffer's growth
// code, and the whole source is compiled again after the buffer has grown.
#include <cstdlib>
#include <cstring>
#include <new>

#include "address_table.h"
#include "compile/context.h"
#include "eval/real_fast.h"
#include "jit/jit.h"
#include "limits.h"
#include "record.h"
#include "registry/registry.h"
#include "run_error.h"
#include "tamrix/tamrix.h"
#include "work_buffers.h"

namespace tmx {

namespace {

// Source length up to the terminating zero, or -1 when the source is longer
// than kMaxSourceChars.  The scan stops one character past the limit, so a
// huge text costs no more than a maximal one.
int32_t source_length(const char16_t *src) {
    int32_t n = 0;
    while (src[n] != 0) {
        if (n == kMaxSourceChars) return -1;
        ++n;
    }
    return n;
}

// Gives the record its three arrays, copied at their exact sizes from the work
// buffers.  The evaluation stack part of the data array starts zeroed.
bool attach_arrays(FormulaRecord *r, const CompileContext &cx) {
    const int32_t *h = g_work.header;
    size_t code_len = size_t(h[kCodeLength]);
    size_t header_len = size_t(h[kHeaderLength]);
    size_t data_len = size_t(h[kDataLength]);
    size_t slot = cx.type->slot;
    r->code = static_cast<uint8_t *>(std::malloc(code_len));
    r->header = static_cast<int32_t *>(std::malloc(header_len * sizeof(int32_t)));
    r->data = std::calloc(data_len ? data_len : 1, slot);
    if (!r->code || !r->header || !r->data) return false;
    std::memcpy(r->code, g_work.code, code_len);
    std::memcpy(r->header, h, header_len * sizeof(int32_t));
    std::memcpy(r->data, cx.data(), size_t(h[kStackBase]) * slot);
    return true;
}

// A record that never got filed: free its arrays and its address index.
void drop_unfiled(FormulaRecord *r, uint32_t self_index) {
    std::free(r->code);
    std::free(r->header);
    std::free(r->data);
    address_release(self_index);
    delete r;
}

}  // namespace

int compile_front_end(const TypeDesc &type, const char16_t *source, int module, void **hFor,
                      int *paramCount, void **data, int *errBegin, int *errEnd) {
    static const char16_t kEmpty[] = u"";
    if (!source) source = kEmpty;
    void *lock_in = hFor ? *hFor : nullptr;

    if (!g_work.allocated && !work_buffers_allocate()) return TM_NO_MEMORY;

    if (lock_in) {
        auto lock = reinterpret_cast<TmLockFunction>(lock_in);
        lock();
        if (!module_lock_allows(module, lock)) {
            if (errBegin) *errBegin = 0;
            if (errEnd) *errEnd = 0;
            return TM_MODULE_LOCKED;
        }
    }

    const int32_t length = source_length(source);
    if (length < 0) {
        if (errBegin) *errBegin = 0;
        if (errEnd) *errEnd = 0;
        return kErrorSourceTooLong;
    }

    auto *record = new (std::nothrow) FormulaRecord;
    if (!record) return TM_NO_MEMORY;
    record->type = int8_t(type.type);
    uint32_t self_index = address_register(record, AddressKind::Formula);
    if (!self_index) {
        delete record;
        return TM_NO_MEMORY;
    }

    CompileContext cx;
    for (;;) {
        cx = CompileContext{};
        cx.src = source;
        cx.src_len = length;
        cx.module = module;
        cx.record = record;
        cx.self_index = self_index;
        cx.type = &type;
        int rc = compile_formula(cx);
        if (rc == 0) break;
        if (rc >= kGrowStoreStack && rc <= kGrowTokens) {
            if (work_buffers_grow(rc, type.type)) continue;
            drop_unfiled(record, self_index);
            return TM_NO_MEMORY;
        }
        forget_run_error_formula(record);
        drop_unfiled(record, self_index);
        if (rc != TM_NO_MEMORY) {
            if (errBegin) *errBegin = cx.err_begin;
            if (errEnd) *errEnd = cx.err_end;
        }
        return rc;
    }

    if (!attach_arrays(record, cx)) {
        drop_unfiled(record, self_index);
        return TM_NO_MEMORY;
    }
    // Straight-line real formulas also get their pre-decoded form; without it
    // (not straight-line, or no memory) the interpreter runs them as usual.
    if (type.type == 2) {
        record->fast = build_real_fast_code(record);
        jit_prepare(record);
    }
    if (!module_formula_added(module)) {
        destroy_record(record);
        return TM_NO_MEMORY;
    }
    if (!enter_referrers(record)) {
        discard_formula(record);
        return TM_NO_MEMORY;
    }
    if (!file_formula(record)) {
        discard_formula(record);
        return TM_NO_MEMORY;
    }

    if (hFor) *hFor = record;
    if (paramCount) *paramCount = record->header[kLastParam];
    if (data) *data = record->data;
    return TM_OK;
}

}  // namespace tmx

extern "C" TM_API int RealCom(const char16_t *source, int module, void **hFor, int *paramCount,
                              double **data, int *errBegin, int *errEnd) {
    return tmx::compile_front_end(tmx::kRealType, source, module, hFor, paramCount,
                                 reinterpret_cast<void **>(data), errBegin, errEnd);
}

extern "C" TM_API int IntCom(const char16_t *source, int module, void **hFor, int *paramCount,
                             int64_t **data, int *errBegin, int *errEnd) {
    return tmx::compile_front_end(tmx::kIntType, source, module, hFor, paramCount,
                                 reinterpret_cast<void **>(data), errBegin, errEnd);
}

extern "C" TM_API int ComplexCom(const char16_t *source, int module, void **hFor,
                                 int *paramCount, TmComplex **data, int *errBegin, int *errEnd) {
    return tmx::compile_front_end(tmx::kComplexType, source, module, hFor, paramCount,
                                 reinterpret_cast<void **>(data), errBegin, errEnd);
}
