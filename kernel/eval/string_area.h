// Formula access to the string area of its own code array (getc/getw/getn,
// setc/setw/setn in all three number types).
//
// The area is addressed from byte 0 of the code array in units of 1, 2 or 8
// bytes.  Index 0 is never accessible (it holds the activation flag), and the
// last unit must end before the first instruction, so a valid index i of unit
// size u satisfies 0 < i < CodeStart / u.  The code array has no alignment
// guarantee: every access goes through memcpy.
#pragma once

#include <cstdint>
#include <cstring>

namespace tmx {

enum StringUnit : int { kUnitByte = 1, kUnitWord = 2, kUnitCell = 8 };

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

}  // namespace tmx
