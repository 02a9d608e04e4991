#include "kernel_session.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "kernel/eval/value_stacks.h"

namespace fuzz {

namespace {

constexpr int kSmallStack = 300;

// An external function that reads the string its first argument names, the
// way library functions do: any index GetForStr vouches for must be
// readable up to the string's end.
double TM_CALL string_length(int m, double *args, TmCallContext *ctx) {
    if (m < 0) return 0;
    char16_t *text = nullptr;
    int first = 0, last = 0;
    GetForStr(ctx, &text, &first, &last);
    if (!text || args[0] < first || args[0] > last) return -1;
    int n = 0;
    for (int i = int(args[0]); i <= last && text[i]; ++i) ++n;
    return n;
}

double TM_CALL real_twice(int, double *args, TmCallContext *) { return 2 * args[0]; }

double TM_CALL real_count(int m, double *args, TmCallContext *) {
    double sum = 0;
    for (int i = 0; i <= m; ++i) sum += args[i];
    return sum + m;
}

// Reports a run error for its caller, as library functions do on bad input.
double TM_CALL real_fail(int, double *args, TmCallContext *ctx) {
    const double code = args[0] >= 0 && args[0] < 256 ? args[0] : 0;  // NaN too
    if (TestRunErr() == 0) SetRunErr(2, u"fail", int(code), 0, ctx);
    return 0;
}

int64_t TM_CALL int_twice(int, int64_t *args, TmCallContext *) {
    return int64_t(uint64_t(args[0]) * 2);
}

void TM_CALL complex_swap(TmComplex *result, int, TmComplex *args, TmCallContext *) {
    *result = {args[0].im, args[0].re};
}

void *address(auto function) { return reinterpret_cast<void *>(function); }

}  // namespace

KernelSession::KernelSession() { ready_ = InitTamrix() && register_helpers(); }

KernelSession::~KernelSession() { FreeTamrix(); }

bool KernelSession::register_helpers() {
    const int64_t int_value = 7;
    const double real_value = 2.5;
    const TmComplex complex_value = {1, -1};
    bool ok = SetFunction(5, u"slen", address(string_length), 0) == 0 &&
              SetFunction(5, u"twice", address(real_twice), 0) == 0 &&
              SetFunction(5, u"count", address(real_count), -2) == 0 &&
              SetFunction(5, u"fail", address(real_fail), 0) == 0 &&
              SetFunction(4, u"itwice", address(int_twice), 0) == 0 &&
              SetFunction(6, u"cswap", address(complex_swap), 0) == 0 &&
              SetConst(7, u"ki", &int_value) == 0 && SetConst(8, u"kr", &real_value) == 0 &&
              SetConst(9, u"kc", &complex_value) == 0;
    // Public formulas of each type, one calling another, for calls across
    // number types and for the invalidation of callers.
    ok = ok && compile(1, u"hi(n)=n*2+1", kHelperModule).status == 0 &&
         compile(2, u"hr(x,y)=x-y+hi(2)", kHelperModule).status == 0 &&
         compile(3, u"hc(z)=z*z", kHelperModule).status == 0;
    return ok;
}

void use_small_stacks() {
    tmx::resize_value_stack(1, kSmallStack, u"SetIntStackMax", nullptr);
    tmx::resize_value_stack(2, kSmallStack, u"SetRealStackMax", nullptr);
    tmx::resize_value_stack(3, kSmallStack, u"SetComplexStackMax", nullptr);
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
}

Compiled compile(int type, const std::u16string &source, int module, TmLockFunction lockFn) {
    Compiled c;
    c.type = type;
    c.handle = reinterpret_cast<void *>(lockFn);
    const char16_t *text = source.c_str();
    switch (type) {
    case 1:
        c.status = IntCom(text, module, &c.handle, &c.paramCount,
                          reinterpret_cast<int64_t **>(&c.data), &c.errBegin, &c.errEnd);
        break;
    case 2:
        c.status = RealCom(text, module, &c.handle, &c.paramCount,
                           reinterpret_cast<double **>(&c.data), &c.errBegin, &c.errEnd);
        break;
    case 3:
        c.status = ComplexCom(text, module, &c.handle, &c.paramCount,
                              reinterpret_cast<TmComplex **>(&c.data), &c.errBegin, &c.errEnd);
        break;
    }
    if (c.status != 0) {
        c.handle = nullptr;
        c.data = nullptr;
    }
    return c;
}

namespace {

// Parameter values: small ones (recursion on them ends soon) and, for a
// quarter of the seeds, the extremes of the type.
int64_t int_argument(int seed, int i) {
    static constexpr int64_t kExtremes[] = {INT64_MIN, INT64_MAX, -1, 0};
    if (seed & 0x40) return kExtremes[(seed + i) & 3];
    return seed % 16 - 4 + i;
}

double real_argument(int seed, int i) {
    static constexpr double kExtremes[] = {
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -1e308, -0.0};
    if (seed & 0x40) return kExtremes[(seed + i) & 3];
    return seed % 16 - 4 + i * 0.5;
}

}  // namespace

void evaluate(const Compiled &formula, int seed, Watchdog *dog) {
    if (formula.status != 0) return;
    const int params = formula.paramCount + 1;
    if (dog) dog->arm();
    switch (formula.type) {
    case 1: {
        auto *args = static_cast<int64_t *>(formula.data);
        for (int i = 0; i < params; ++i) args[i] = int_argument(seed, i);
        IntCal(formula.handle, args);
        break;
    }
    case 2: {
        auto *args = static_cast<double *>(formula.data);
        for (int i = 0; i < params; ++i) args[i] = real_argument(seed, i);
        RealCal(formula.handle, args);
        break;
    }
    case 3: {
        auto *args = static_cast<TmComplex *>(formula.data);
        for (int i = 0; i < params; ++i) args[i] = {real_argument(seed, i), 0.5};
        ComplexCal(formula.handle, args);
        break;
    }
    }
    if (dog) dog->disarm();
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
}

void remove(const Compiled &formula, Watchdog *dog) {
    if (formula.status != 0) return;
    if (dog) dog->arm();
    DeleteFor(formula.type, formula.handle);
    if (dog) dog->disarm();
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace fuzz
