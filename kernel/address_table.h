// The kernel's address table: full pointers for the 32-bit fields of the
// record format (see record.h).  An index stays bound to its object until the
// object is released; freed indices are recycled oldest-first, so a stale index
// is not handed out again at once.
#pragma once

#include <cstdint>

namespace tmx {

enum class AddressKind : uint8_t {
    Free = 0,
    Formula,          // FormulaRecord*
    ExternalFunction, // ExternalFunction* (registry/entries.h)
    SharedCell,       // value storage of a module or common variable
};

struct AddressEntry {
    void *ptr;
    AddressKind kind;
};

// The table's storage: read directly by the evaluators.  Re-read the base
// after anything that may register an address (it can move when it grows).
extern AddressEntry *g_address_base;

// Registers p; returns its index (never 0), or 0 when memory is exhausted.
uint32_t address_register(void *p, AddressKind kind);
// Releases an index; 0 and unknown indices are ignored.
void address_release(uint32_t index);
// The object at index, or null when the index is 0, free, out of range, or of
// another kind.
void *address_lookup(uint32_t index, AddressKind kind);
// Drops every entry (kernel teardown).
void address_reset();

// Diagnostics for leak checks: indices bound to an object now, and indices
// the table spans (index 0 and freed ones included).
uint32_t address_live_count();
uint32_t address_table_span();

// Unchecked read for code that holds an index the compiler wrote.
inline void *address_at(uint32_t index) { return g_address_base[index].ptr; }

}  // namespace tmx
