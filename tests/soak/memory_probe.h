// What the soak test watches for growth: the process's resident memory and
// the kernel's own tables.
#pragma once

#include <cstdint>
#include <string>

namespace soak {

struct MemoryFigures {
    int64_t resident_bytes = 0;   // from /proc/self/statm
    uint32_t live_addresses = 0;  // address-table entries bound to an object
    uint32_t address_span = 0;    // address-table entries ever handed out
    size_t name_nodes = 0;        // name-tree nodes
    int64_t work_buffer_bytes = 0;

    std::string describe() const;
};

MemoryFigures measure();

}  // namespace soak
