#include "memory_probe.h"

#include <unistd.h>

#include <cstdio>

#include "kernel/address_table.h"
#include "kernel/registry/name_tree.h"
#include "kernel/work_buffers.h"

namespace soak {

namespace {

int64_t resident_bytes() {
    FILE *f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    long size = 0, resident = 0;
    const int read = std::fscanf(f, "%ld %ld", &size, &resident);
    std::fclose(f);
    return read == 2 ? int64_t(resident) * sysconf(_SC_PAGESIZE) : -1;
}

int64_t work_buffer_bytes() {
    const tmx::WorkBuffers &w = tmx::g_work;
    const int64_t per_token = sizeof(tmx::Token) + sizeof(char16_t) + sizeof(int32_t) +
                              sizeof(tmx::HeaderVariable);
    return w.token_capacity * per_token + w.code_capacity + w.header_capacity * 4 +
           (w.real_capacity + w.int_capacity) * 8 + w.complex_capacity * 16 +
           w.bracket_stack_capacity * int64_t(sizeof(tmx::BracketRecord)) +
           w.control_stack_capacity * int64_t(sizeof(tmx::ControlRecord)) +
           w.store_stack_capacity * int64_t(sizeof(tmx::StoreRecord));
}

}  // namespace

MemoryFigures measure() {
    MemoryFigures m;
    m.resident_bytes = resident_bytes();
    m.live_addresses = tmx::address_live_count();
    m.address_span = tmx::address_table_span();
    m.name_nodes = tmx::name_tree().node_count();
    m.work_buffer_bytes = work_buffer_bytes();
    return m;
}

std::string MemoryFigures::describe() const {
    char text[200];
    std::snprintf(text, sizeof text,
                  "resident %.1f MiB, addresses %u live / %u spanned, name-tree nodes %zu, "
                  "work buffers %.1f KiB",
                  double(resident_bytes) / (1 << 20), live_addresses, address_span, name_nodes,
                  double(work_buffer_bytes) / 1024);
    return text;
}

}  // namespace soak
