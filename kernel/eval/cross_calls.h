// Calls between formulas of different number types.
//
// The caller passes the address of its own argument slots unchanged; the
// callee reads them as slots of its own type.  So a real caller hands a
// complex formula two doubles per complex parameter, and a complex caller
// hands an integer or real formula its 16-byte slots, which the callee reads
// as twice as many 8-byte slots.  The compilers size every argument list so
// that the callee never reads past it (a complex parameter takes two integer
// or real arguments; a complex argument covers two 8-byte parameters).
//
// The result is stored bit for bit: an 8-byte result becomes the caller's
// 8-byte slot or the real part of its complex slot (imaginary part 0); a
// complex result keeps its first 8 bytes in an 8-byte slot.  The whole result
// also goes to the call-result buffer that "GetCalByte" reads.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "../record.h"
#include "tamrix/tamrix.h"
#include "value_stacks.h"

namespace tmx {

// The result of a call into another number type, as the caller's slot.
template <class Slot> Slot slot_from_int(int64_t r) {
    if constexpr (sizeof(Slot) == 16)
        return Slot{std::bit_cast<double>(r), 0.0};
    else
        return std::bit_cast<Slot>(r);
}

template <class Slot> Slot slot_from_real(double r) {
    if constexpr (sizeof(Slot) == 16)
        return Slot{r, 0.0};
    else
        return std::bit_cast<Slot>(r);
}

template <class Slot> Slot slot_from_complex(TmComplex r) {
    if constexpr (sizeof(Slot) == 16)
        return r;
    else
        return std::bit_cast<Slot>(r.re);
}

// Keeps the raw bits of a cross-type result (8 or 16 bytes; an 8-byte result
// leaves the buffer's upper half as it was).
template <class Result> inline void remember_call_result(const Result &r) {
    static_assert(sizeof r == 8 || sizeof r == 16);
    std::memcpy(g_call_result, &r, sizeof r);
}

// The three cross-type calls, from a caller whose slots are `Slot`.
template <class Slot> Slot call_int_formula(FormulaRecord *callee, Slot *args) {
    const int64_t r = IntCal(callee, reinterpret_cast<int64_t *>(args));
    remember_call_result(r);
    return slot_from_int<Slot>(r);
}

template <class Slot> Slot call_real_formula(FormulaRecord *callee, Slot *args) {
    const double r = RealCal(callee, reinterpret_cast<double *>(args));
    remember_call_result(r);
    return slot_from_real<Slot>(r);
}

template <class Slot> Slot call_complex_formula(FormulaRecord *callee, Slot *args) {
    const TmComplex r = ComplexCal(callee, reinterpret_cast<TmComplex *>(args));
    remember_call_result(r);
    return slot_from_complex<Slot>(r);
}

}  // namespace tmx
