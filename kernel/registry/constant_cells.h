// Where constant values live.  Libraries ask for a constant's address once
// (ExMsgWithTamrix 7, 8, 9) and read through it for as long as they run, but
// a script may delete a deletable constant ("const"(name, 0, 0)) and the host
// may delete its own (DeleteConstOrFunction) at any time.  So the value is
// not owned by the name-tree entry: each (type, name) gets one cell, made
// with the first constant of that name and type and kept until the kernel is
// freed.  A deleted constant leaves its last value in the cell; a constant
// made again under the same name reuses the cell, so an address handed out
// earlier reads the new value and never dangles.  The cells grow with the
// distinct names used, never with the number of times a name is made.
#pragma once

#include <cstdint>

#include "name_tree.h"

namespace tmx {

// Who made a constant: only the host's are removed by DeleteConstOrFunction,
// only a script's deletable ones by "const"(name, 0, 0).
enum class ConstantOrigin : uint8_t { Host, Script, ScriptDeletable };

// The value comes first: lookups hand out the cell's address as the value's.
struct ConstantCell {
    alignas(16) unsigned char value[16];
    ConstantOrigin origin;
};

// The cell of the constant `type` (7, 8, 9) named by `key`, made zero-filled
// when there is none yet.  Null when memory is exhausted.
ConstantCell *constant_cell(int type, TreeKey key);

// The release routine of every constant entry filed by file_constant: the
// cell stays.  It also marks the entries whose data is a cell.
void keep_constant_cell(void *cell);

// The cell behind a constant entry, or null for an entry filed otherwise.
inline const ConstantCell *cell_of(const TreeEntry *e) {
    return e->release == keep_constant_cell ? static_cast<const ConstantCell *>(e->data)
                                            : nullptr;
}

// Frees every cell (FreeTamrix, once the name tree is empty).
void release_constant_cells();

}  // namespace tmx
