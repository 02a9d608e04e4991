// The cells that hold constant values for the kernel's lifetime.
#include "constant_cells.h"

#include <string>
#include <unordered_map>

namespace tmx {

namespace {

// Key: the entry type's byte, then the name's bytes.  An unordered_map never
// moves its elements, so a cell's address is stable while the map grows.
using CellMap = std::unordered_map<std::string, ConstantCell>;

// Made on first use and dropped by the teardown, as the other registry
// tables, so a freed kernel holds no memory.
CellMap *g_cells = nullptr;

}  // namespace

ConstantCell *constant_cell(int type, TreeKey key) {
    try {
        if (!g_cells) g_cells = new CellMap;
        std::string k(1, char(type));
        k.append(key.data, key.size);
        return &(*g_cells)[k];
    } catch (...) {
        return nullptr;
    }
}

void keep_constant_cell(void *) {}

void release_constant_cells() {
    delete g_cells;
    g_cells = nullptr;
}

}  // namespace tmx
