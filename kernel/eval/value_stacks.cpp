// The shared value stacks and their stack-size built-ins.
#include "value_stacks.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "../limits.h"
#include "../run_error.h"

namespace tmx {

ValueStack<int64_t> g_int_stack;
ValueStack<double> g_real_stack;
ValueStack<TmComplex> g_complex_stack;
alignas(16) unsigned char g_call_result[16];

namespace {

// Smallest stack a script can ask for.
constexpr double kMinSlots = 10;
// Largest: the memory limit of limits.h (which also keeps every frame
// position within 32 bits).  Larger requests are refused like a failed
// allocation instead of being clamped, so a script that asks for 1e300 learns
// that it got nothing.
template <class Slot> constexpr double kMaxSlots = double(kMaxValueStackBytes / sizeof(Slot));
static_assert(kMaxValueStackBytes / sizeof(int64_t) < INT32_MAX);

template <class Slot> void release(ValueStack<Slot> &s) {
    std::free(s.slots);
    s.slots = nullptr;
    s.limit = 0;
    s.top = 1;
    s.copy_args = 1;
}

// `requested` is already truncated to an integer value (or NaN / infinite).
template <class Slot>
int64_t resize(ValueStack<Slot> &s, int type, double requested, const char16_t *name,
               const TmCallContext *ctx) {
    int ctx_type = ctx ? ctx->type : 0;
    void *ctx_formula = ctx ? ctx->hFor : nullptr;
    if (s.top > 1) {
        record_run_error(type, name, 2, ctx_type, ctx_formula);
        return 0;
    }
    // NaN fails every comparison and so ends up at the minimum too.
    if (!(requested >= kMinSlots)) requested = kMinSlots;
    release(s);
    if (requested > kMaxSlots<Slot>) {
        record_run_error(type, name, 1, ctx_type, ctx_formula);
        return 0;
    }
    auto limit = int32_t(requested);
    // Not zeroed: every slot is written before it is read.
    auto *slots = static_cast<Slot *>(std::malloc(size_t(limit) * sizeof(Slot)));
    if (!slots) {
        record_run_error(type, name, 1, ctx_type, ctx_formula);
        return 0;
    }
    s.slots = slots;
    s.limit = limit;
    return limit;
}

}  // namespace

void value_stacks_release() {
    release(g_int_stack);
    release(g_real_stack);
    release(g_complex_stack);
}

int64_t resize_value_stack(int type, double requested, const char16_t *name,
                           const TmCallContext *ctx) {
    switch (type) {
    case 1: return resize(g_int_stack, type, requested, name, ctx);
    case 2: return resize(g_real_stack, type, requested, name, ctx);
    case 3: return resize(g_complex_stack, type, requested, name, ctx);
    default: return 0;
    }
}

// The argument pointer always names at least one slot: a call without
// arguments still passes its result slot.

int64_t builtin_set_int_stack_max(int, int64_t *args, TmCallContext *ctx) {
    auto low32 = int32_t(uint32_t(uint64_t(args[0])));
    return resize_value_stack(1, double(low32), u"SetIntStackMax", ctx);
}

double builtin_set_real_stack_max(int, double *args, TmCallContext *ctx) {
    return double(resize_value_stack(2, std::trunc(args[0]), u"SetRealStackMax", ctx));
}

void builtin_set_complex_stack_max(TmComplex *result, int, TmComplex *args,
                                   TmCallContext *ctx) {
    double limit = double(
        resize_value_stack(3, std::trunc(args[0].re), u"SetComplexStackMax", ctx));
    *result = {limit, 0.0};
}

}  // namespace tmx
