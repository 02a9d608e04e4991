// The argument slots of one script-function call, read the way the calling
// formula's number type means them.  Every script function is written once
// against this interface and instantiated for integer and real formulas.
//
// Integer formulas: a slot's 8 bytes are taken as they are (the low 32 bits
// name an object, the low bytes are stored into narrower elements, results
// are the stored bytes widened).  Real formulas: a slot is the number it
// holds (truncated where an integer is wanted, rounded to single precision
// for real32 storage), except a handle's bit pattern, which passes unchanged;
// results are numbers, handles their bit pattern.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "ext/protocol/real_slots.h"
#include "kinds.h"
#include "tamrix/tamrix_data.h"

namespace tmdata {

// The widened 64-bit form of a stored value of a scalar kind.
inline int64_t widen(int kind, const void *p) {
    switch (element_kind(kind)) {
    case TMD_INT8: return *static_cast<const int8_t *>(p);
    case TMD_UINT8: return *static_cast<const uint8_t *>(p);
    case TMD_INT16: return *static_cast<const int16_t *>(p);
    case TMD_UINT16: case TMD_WCHAR: return *static_cast<const uint16_t *>(p);
    case TMD_INT32: return *static_cast<const int32_t *>(p);
    case TMD_UINT32: case TMD_REAL32: return *static_cast<const uint32_t *>(p);
    default: {
        int64_t v;
        std::memcpy(&v, p, 8);
        return v;
    }
    }
}

// The stored value of a scalar kind as a number.
inline double as_number(int kind, const void *p) {
    switch (element_kind(kind)) {
    case TMD_REAL32: {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    case TMD_REAL64: case TMD_COMPLEX: {
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    case TMD_UINT64: return double(uint64_t(widen(kind, p)));
    default: return double(widen(kind, p));
    }
}

// Stores the low `size` bytes of a 64-bit value.
inline void store_low_bytes(void *dst, int64_t value, size_t size) {
    std::memcpy(dst, &value, size);  // little-endian: the low bytes come first
}

class IntArgs {
public:
    using Slot = int64_t;
    using Result = int64_t;
    static constexpr bool kReal = false;

    IntArgs(int m, int64_t *slots, TmCallContext *ctx) : m_(m), s_(slots), ctx_(ctx) {}

    int last() const { return m_; }  // number of arguments minus one
    TmCallContext *ctx() const { return ctx_; }
    int64_t *slots() const { return s_; }

    int64_t integer(int i) const { return s_[i]; }
    uint32_t handle(int i) const { return uint32_t(s_[i]); }
    int type_id(int i) const { return int32_t(s_[i]); }
    // A double given in the slot: its 8 bytes.
    double real_bits(int i) const { return std::bit_cast<double>(s_[i]); }

    // One element of a scalar kind (not complex) from slot i.
    void store_element(int kind, void *dst, int i) const {
        store_low_bytes(dst, s_[i], element_size(kind));
    }

    // Results and result slots.
    static Result none() { return 0; }
    static Result handle_result(uint32_t h) { return int64_t(h); }
    static Result integer_result(int64_t v) { return v; }
    static Result element_result(int kind, const void *p) { return widen(kind, p); }
    static Result double_result(double d) { return std::bit_cast<int64_t>(d); }
    void put(int i, Result r) const { s_[i] = r; }
    void put_integer(int i, int64_t v) const { s_[i] = v; }

private:
    int m_;
    int64_t *s_;
    TmCallContext *ctx_;
};

class RealArgs {
public:
    using Slot = double;
    using Result = double;
    static constexpr bool kReal = true;

    RealArgs(int m, double *slots, TmCallContext *ctx) : m_(m), s_(slots), ctx_(ctx) {}

    int last() const { return m_; }
    TmCallContext *ctx() const { return ctx_; }
    double *slots() const { return s_; }

    int64_t integer(int i) const { return extproto::real_slot_integer(s_[i]); }
    uint32_t handle(int i) const { return extproto::real_slot_handle(s_[i]); }
    // Kind codes and identifiers are small negative numbers; anything out of
    // the 32-bit range names no type.
    int type_id(int i) const {
        int64_t v = integer(i);
        return v >= INT32_MIN && v <= INT32_MAX ? int(v) : 0;
    }
    double real_bits(int i) const { return s_[i]; }

    void store_element(int kind, void *dst, int i) const {
        double d = s_[i];
        switch (element_kind(kind)) {
        case TMD_REAL64: std::memcpy(dst, &d, 8); return;
        case TMD_REAL32:
            if (extproto::is_handle_bits(d)) {
                store_low_bytes(dst, std::bit_cast<int64_t>(d), 4);
            } else {
                float f = float(d);
                std::memcpy(dst, &f, 4);
            }
            return;
        case TMD_UINT64:
            // Numbers from 2^63 up are whole unsigned values, not beyond int64.
            if (!extproto::is_handle_bits(d) && d >= 9223372036854775808.0) {
                const uint64_t v = d < 18446744073709551616.0 ? uint64_t(d) : UINT64_MAX;
                std::memcpy(dst, &v, 8);
                return;
            }
            store_low_bytes(dst, integer(i), 8);
            return;
        default: store_low_bytes(dst, integer(i), element_size(kind)); return;
        }
    }

    static Result none() { return 0.0; }
    static Result handle_result(uint32_t h) { return extproto::handle_as_real(h); }
    static Result integer_result(int64_t v) { return double(v); }
    static Result element_result(int kind, const void *p) { return as_number(kind, p); }
    static Result double_result(double d) { return d; }
    void put(int i, Result r) const { s_[i] = r; }
    void put_integer(int i, int64_t v) const { s_[i] = double(v); }

private:
    int m_;
    double *s_;
    TmCallContext *ctx_;
};

// True when slot i holds the EndType marker (-100).
template <typename A>
bool is_end_type(const A &a, int i) {
    return a.integer(i) == TMD_END_TYPE;
}

}  // namespace tmdata
