#include "parse_names.h"

#include "parse_tokens.h"

namespace tmx {

namespace {

uint32_t hash_name(const char16_t *name, int32_t len) {
    uint32_t h = 2166136261u;
    for (int32_t i = 0; i < len; ++i) h = (h ^ name[i]) * 16777619u;
    return h;
}

uint32_t hash_index(uint32_t index) { return index * 2654435761u; }

uint32_t callee_at(int32_t k) { return uint32_t(g_work.header[g_work.header_capacity - 1 - k]); }

}  // namespace

bool NameTable::init(CompileContext &c, int32_t expected) {
    cx = &c;
    slots = g_work.bracket_positions;
    int64_t want = 2 * int64_t(expected) + 16;
    int64_t cap = g_work.token_capacity;
    size = uint32_t(want < cap ? want : cap);
    used = 0;
    if (size < 4) return false;
    for (uint32_t i = 0; i < size; ++i) slots[i] = -1;
    return true;
}

int NameTable::insert(uint32_t hash, int32_t entry) {
    if (int64_t(used + 1) * 4 > int64_t(size) * 3) return kGrowTokens;
    uint32_t i = hash % size;
    while (slots[i] != -1) i = i + 1 == size ? 0 : i + 1;
    slots[i] = entry;
    ++used;
    return 0;
}

int32_t NameTable::find_variable(const char16_t *name, int32_t len) const {
    const HeaderVariable *vars = cx->vars();
    for (uint32_t i = hash_name(name, len) % size; slots[i] != -1; i = i + 1 == size ? 0 : i + 1) {
        int32_t v = slots[i];
        if (v < 0) continue;
        const HeaderVariable &hv = vars[v];
        if (same_text(cx->src + hv.first, hv.last - hv.first + 1, name, len)) return v;
    }
    return -1;
}

int NameTable::add_variable(int32_t v) {
    const HeaderVariable &hv = cx->vars()[v];
    return insert(hash_name(cx->src + hv.first, hv.last - hv.first + 1), v);
}

bool NameTable::has_callee(uint32_t index) const {
    for (uint32_t i = hash_index(index) % size; slots[i] != -1; i = i + 1 == size ? 0 : i + 1) {
        int32_t e = slots[i];
        if (e <= -2 && callee_at(-e - 2) == index) return true;
    }
    return false;
}

int NameTable::add_callee(int32_t k, uint32_t index) {
    return insert(hash_index(index), -(k + 2));
}

}  // namespace tmx
