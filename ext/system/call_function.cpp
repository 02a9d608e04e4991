// "sys::call"(type, handle, x1, ..., xn, result): calls a formula by the
// handle "HFor" gave out.  The arguments are handed over where they lie, so
// by-reference parameters write back into them, and the result goes into
// the last slot (two for a complex callee) bit for bit.  Every slot is 8
// bytes whatever the caller's type; a complex callee takes two per value.
#include <cstring>

#include "script_call.h"
#include "system_functions.h"

namespace syslib {

namespace {

constexpr char16_t kCall[] = u"sys::call";

enum : int {
    kTooFewArguments = 1,
    kBadType = 2,
    kIntegerCount = 3,
    kRealCount = 4,
    kComplexCount = 5,
    kUnknownHandle = 6,
};

}  // namespace

int64_t sys_call(Library &lib, int m, int64_t type, uint32_t handle, void *slots,
                 TmCallContext *ctx, int errorType) {
    const Call call{lib, ctx, kCall, errorType};
    const int64_t count = int64_t(m) + 1;
    if (count < 3) return call.fail(kTooFewArguments);
    if (type < 1 || type > 3) return call.fail(kBadType);
    void *formula = nullptr;
    int lastParam = 0;
    if (!lib.kernel.GetFor(nullptr, int(type), reinterpret_cast<void *>(uintptr_t(handle)),
                           nullptr, &formula, nullptr, &lastParam))
        return call.fail(kUnknownHandle);
    const int64_t params = int64_t(lastParam) + 1;
    auto *slot = static_cast<unsigned char *>(slots);
    unsigned char *arguments = slot + 2 * 8;
    unsigned char *result = slot + size_t(m) * 8;
    switch (type) {
    case 1: {
        if (count != params + 3) return call.fail(kIntegerCount);
        int64_t value = lib.kernel.IntCal(formula, reinterpret_cast<int64_t *>(arguments));
        std::memcpy(result, &value, 8);
        break;
    }
    case 2: {
        if (count != params + 3) return call.fail(kRealCount);
        double value = lib.kernel.RealCal(formula, reinterpret_cast<double *>(arguments));
        std::memcpy(result, &value, 8);
        break;
    }
    default: {
        // Type, handle, two slots per argument, two for the result.
        if (count != 2 * params + 4) return call.fail(kComplexCount);
        TmComplex value = lib.kernel.ComplexCal(formula, reinterpret_cast<TmComplex *>(arguments));
        std::memcpy(result - 8, &value, 16);
        break;
    }
    }
    return 1;
}

}  // namespace syslib
