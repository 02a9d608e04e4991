// A hash table over the bracket-position buffer (free outside the bracket
// pass) that finds header variables by name and remembers which callees the
// callee list already holds, so that neither lookup is quadratic in the size
// of the formula.
//
// Slots hold -1 (empty), a variable index v >= 0, or -(k + 2) for the k-th
// entry of the callee list.  Open addressing, linear probing; the table is
// sized to at most half full for the work it is built for, and an insertion
// beyond three quarters asks for bigger token buffers instead.
#pragma once

#include <cstdint>

#include "context.h"

namespace tmx {

struct NameTable {
    CompileContext *cx = nullptr;
    int32_t *slots = nullptr;
    uint32_t size = 0;
    int32_t used = 0;

    // Prepares a table for about `expected` entries; false when even the
    // whole buffer would be too small (the caller asks for growth).
    bool init(CompileContext &c, int32_t expected);

    // Index of the header variable named name[0..len), or -1.
    int32_t find_variable(const char16_t *name, int32_t len) const;
    // Enters variable v (its name must not be present yet).
    int add_variable(int32_t v);

    // Whether the callee list already names this address-table index.
    bool has_callee(uint32_t index) const;
    // Enters the callee list's entry k (holding `index`).
    int add_callee(int32_t k, uint32_t index);

private:
    int insert(uint32_t hash, int32_t entry);
};

}  // namespace tmx
