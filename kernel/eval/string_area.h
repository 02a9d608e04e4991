// Formula access to the string area of its own code array (getc/getw/getn,
// setc/setw/setn in all three number types), written once for all of them.
//
// The area is addressed from byte 0 of the code array in units of 1, 2 or 8
// bytes.  Index 0 is never accessible (it holds the activation flag), and the
// last unit must end before the first instruction, so a valid index i of unit
// size u satisfies 0 < i < CodeStart / u.  The code array has no alignment
// guarantee: every access goes through memcpy.
#pragma once

#include <cstdint>
#include <cstring>

#include "../record.h"
#include "../run_error.h"

namespace tmx {

enum StringUnit : int { kUnitByte = 1, kUnitWord = 2, kUnitCell = 8 };

// getc, getw and getn (and setc, setw, setn) stand in this order in every
// type's built-in table: the unit of the k-th of them.
constexpr StringUnit string_unit(int k) {
    return k == 0 ? kUnitByte : k == 1 ? kUnitWord : kUnitCell;
}

inline bool string_index_valid(int64_t i, int32_t code_start, StringUnit unit) {
    return i > 0 && i < code_start / unit;
}

inline int8_t read_string_byte(const uint8_t *code, int64_t i) { return int8_t(code[i]); }

inline uint16_t read_string_word(const uint8_t *code, int64_t i) {
    uint16_t w;
    std::memcpy(&w, code + 2 * i, sizeof w);
    return w;
}

template <class Cell> Cell read_string_cell(const uint8_t *code, int64_t i) {
    static_assert(sizeof(Cell) == 8);
    Cell c;
    std::memcpy(&c, code + 8 * i, sizeof c);
    return c;
}

inline void write_string_byte(uint8_t *code, int64_t i, uint8_t b) { code[i] = b; }

inline void write_string_word(uint8_t *code, int64_t i, uint16_t w) {
    std::memcpy(code + 2 * i, &w, sizeof w);
}

template <class Cell> void write_string_cell(uint8_t *code, int64_t i, Cell c) {
    static_assert(sizeof(Cell) == 8);
    std::memcpy(code + 8 * i, &c, sizeof c);
}

[[gnu::cold, gnu::noinline]] inline void string_index_refused(FormulaRecord *rec, int type,
                                                              const char16_t *name) {
    record_run_error(type, name, 0, type, rec);
}

// The built-ins of a type `Math` (IntMath, RealMath, ComplexMath), which says
// what a slot holds for them:
//   Scalar                the number the area stores (int64_t or double)
//   string_index(slot)    the index an operand names
//   string_scalar(slot)   the number a set stores
//   string_bits(scalar)   its integer value; setc/setw store the low 8/16 bits
//   with_string_value(t, scalar)   a get's result: the value read in t's place
// A bad index records a run error with the built-in's name and leaves the
// operand as the result.

// get*(t): the value at index t.
template <class Math, class Slot = typename Math::Slot>
Slot string_get(FormulaRecord *rec, const char16_t *name, StringUnit unit, Slot t) {
    const int64_t i = Math::string_index(t);
    if (!string_index_valid(i, rec->header[kCodeStart], unit)) {
        string_index_refused(rec, Math::kType, name);
        return t;
    }
    switch (unit) {
    case kUnitByte: return Math::with_string_value(t, read_string_byte(rec->code, i));
    case kUnitWord: return Math::with_string_value(t, read_string_word(rec->code, i));
    default:
        return Math::with_string_value(
            t, read_string_cell<typename Math::Scalar>(rec->code, i));
    }
}

// set*(a, t): stores t at index a; the result is a either way.
template <class Math, class Slot = typename Math::Slot>
Slot string_set(FormulaRecord *rec, const char16_t *name, StringUnit unit, Slot a, Slot t) {
    const int64_t i = Math::string_index(a);
    if (!string_index_valid(i, rec->header[kCodeStart], unit)) {
        string_index_refused(rec, Math::kType, name);
        return a;
    }
    const typename Math::Scalar v = Math::string_scalar(t);
    const uint64_t bits = uint64_t(Math::string_bits(v));
    switch (unit) {
    case kUnitByte: write_string_byte(rec->code, i, uint8_t(bits)); break;
    case kUnitWord: write_string_word(rec->code, i, uint16_t(bits)); break;
    default: write_string_cell(rec->code, i, v); break;
    }
    return a;
}

// The same by a built-in's position k in its type's table `names`, where
// getc (for a get) or setc (for a set) stands at position `first`.
template <class Math, class Slot = typename Math::Slot>
Slot string_get_at(FormulaRecord *rec, const char16_t *const *names, int k, int first, Slot t) {
    return string_get<Math>(rec, names[k], string_unit(k - first), t);
}
template <class Math, class Slot = typename Math::Slot>
Slot string_set_at(FormulaRecord *rec, const char16_t *const *names, int k, int first, Slot a,
                   Slot t) {
    return string_set<Math>(rec, names[k], string_unit(k - first), a, t);
}

}  // namespace tmx
