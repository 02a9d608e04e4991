#include "address_table.h"

#include <cstdlib>
#include <deque>

namespace tmx {

AddressEntry *g_address_base = nullptr;

namespace {
uint32_t g_size = 0;     // entries in use or freed (index 0 included)
uint32_t g_capacity = 0; // entries allocated
std::deque<uint32_t> g_free;

// The table never needs more indices than fit an int32 operand.
constexpr uint32_t kMaxEntries = 0x7FFFFFF0u;

bool grow() {
    uint64_t want = g_capacity ? uint64_t(g_capacity) * 2 : 256;
    if (want > kMaxEntries) want = kMaxEntries;
    if (want <= g_capacity) return false;
    void *p = std::realloc(g_address_base, want * sizeof(AddressEntry));
    if (!p) return false;
    g_address_base = static_cast<AddressEntry *>(p);
    g_capacity = uint32_t(want);
    return true;
}
}  // namespace

uint32_t address_register(void *p, AddressKind kind) {
    // Recycle only once enough indices are waiting, so a just-freed index is
    // not reused by the very next registration.
    if (g_free.size() > 64) {
        uint32_t i = g_free.front();
        g_free.pop_front();
        g_address_base[i] = {p, kind};
        return i;
    }
    if (g_size == 0) {
        if (!grow()) return 0;
        g_address_base[0] = {nullptr, AddressKind::Free};
        g_size = 1;
    }
    if (g_size == g_capacity && !grow()) {
        if (g_free.empty()) return 0;
        uint32_t i = g_free.front();
        g_free.pop_front();
        g_address_base[i] = {p, kind};
        return i;
    }
    uint32_t i = g_size++;
    g_address_base[i] = {p, kind};
    return i;
}

void address_release(uint32_t index) {
    if (index == 0 || index >= g_size) return;
    if (g_address_base[index].kind == AddressKind::Free) return;
    g_address_base[index] = {nullptr, AddressKind::Free};
    g_free.push_back(index);
}

void *address_lookup(uint32_t index, AddressKind kind) {
    if (index == 0 || index >= g_size) return nullptr;
    const AddressEntry &e = g_address_base[index];
    return e.kind == kind ? e.ptr : nullptr;
}

uint32_t address_live_count() {
    return g_size == 0 ? 0 : g_size - 1 - uint32_t(g_free.size());
}

uint32_t address_table_span() { return g_size; }

void address_reset() {
    std::free(g_address_base);
    g_address_base = nullptr;
    g_size = g_capacity = 0;
    g_free.clear();
}

}  // namespace tmx
