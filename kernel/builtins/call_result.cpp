// "GetCalByte": the raw bits of the last result a formula received from a
// call into another number type (8 bytes from an integer or real callee, 16
// from a complex one), handed out through by-reference arguments.
#include <cstring>

#include "../eval/value_stacks.h"
#include "builtins.h"

namespace tmx {

namespace {

// Integer and real: one argument receives the first 8 bytes, two or more
// the 16 bytes in the first two; the result is the first 8 bytes.
template <class Slot> Slot get_cal_byte(int m, Slot *args) {
    static_assert(sizeof(Slot) == 8);
    if (m >= 0) std::memcpy(args, g_call_result, m == 0 ? 8 : 16);
    Slot first;
    std::memcpy(&first, g_call_result, sizeof first);
    return first;
}

}  // namespace

int64_t builtin_get_cal_byte_int(int m, int64_t *args, TmCallContext *) {
    return get_cal_byte(m, args);
}

double builtin_get_cal_byte_real(int m, double *args, TmCallContext *) {
    return get_cal_byte(m, args);
}

void builtin_get_cal_byte_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *) {
    if (m >= 0) std::memcpy(args, g_call_result, 16);
    std::memcpy(result, g_call_result, 16);
}

}  // namespace tmx
