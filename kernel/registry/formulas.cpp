// Formula lists, live handles and referrer bookkeeping; DeleteFor and the
// registry's teardown.
#include "formulas.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

#include "../address_table.h"
#include "../run_error.h"
#include "modules.h"
#include "registry.h"

namespace tmx {

bool g_in_teardown = false;

namespace {

// Filed formulas; the value is true while the formula's release pass runs.
using LiveMap = std::unordered_map<const FormulaRecord *, bool>;
// Made on first use and dropped by the teardown, so a freed kernel holds no
// memory (a library unloaded after FreeTamrix leaves nothing behind).
LiveMap *g_live = nullptr;
LiveMap &live_map() {
    if (!g_live) g_live = new LiveMap;
    return *g_live;
}

FormulaRecord *g_anonymous[4] = {}; // by type; newest first

bool valid_type(int type) { return type >= 1 && type <= 3; }

void push_front(FormulaRecord **head, FormulaRecord *r) {
    r->prev = nullptr;
    r->next = *head;
    if (*head) (*head)->prev = r;
    *head = r;
}

void unlink_from(FormulaRecord **head, FormulaRecord *r) {
    if (r->prev)
        r->prev->next = r->next;
    else if (*head == r)
        *head = r->next;
    if (r->next) r->next->prev = r->prev;
    r->prev = r->next = nullptr;
}

TreeKey filed_key(const FormulaRecord *r) {
    return wide_key(r->filed_name, r->filed_name_length);
}

// Release routine of a same-name list entry: releases every formula still in
// the list (the entry is only removed with formulas in it at teardown).
void release_name_list(void *head) {
    auto *r = static_cast<FormulaRecord *>(head);
    while (r) {
        FormulaRecord *next = r->next;
        r->prev = r->next = nullptr;
        release_formula(r);
        r = next;
    }
}

// Takes a filed formula out of its same-name or anonymous list; the name's
// entry goes with the list's last formula.
void unfile(FormulaRecord *r) {
    if (r->anonymous) {
        unlink_from(&g_anonymous[r->type], r);
        return;
    }
    TreeKey key = filed_key(r);
    TreeEntry *e = name_tree().find(key, r->type);
    if (!e) {
        r->prev = r->next = nullptr;
        return;
    }
    auto *head = static_cast<FormulaRecord *>(e->data);
    unlink_from(&head, r);
    e->data = head;
    if (!head) name_tree().remove(key, r->type);
}

void unlink_cell(ReferrerCell *cell) {
    *cell->link = cell->next;
    if (cell->next) cell->next->link = cell->link;
    delete cell;
}

ReferrerCell **referrer_list_of(uint32_t index) {
    if (auto *f = static_cast<FormulaRecord *>(address_lookup(index, AddressKind::Formula)))
        return &f->referrers;
    if (auto *x = static_cast<ExternalFunction *>(
            address_lookup(index, AddressKind::ExternalFunction)))
        return &x->referrers;
    return nullptr;
}

}  // namespace

// --- live formulas --------------------------------------------------------

FormulaRecord *live_formula(const void *handle, int type) {
    if (!handle) return nullptr;
    auto &map = live_map();
    auto it = map.find(static_cast<const FormulaRecord *>(handle));
    if (it == map.end() || it->second) return nullptr;
    auto *r = const_cast<FormulaRecord *>(it->first);
    return type == 0 || r->type == type ? r : nullptr;
}

FormulaRecord *reachable_formula(const void *handle) {
    if (!handle) return nullptr;
    auto &map = live_map();
    auto it = map.find(static_cast<const FormulaRecord *>(handle));
    return it == map.end() ? nullptr : const_cast<FormulaRecord *>(it->first);
}

void mark_releasing(FormulaRecord *r) {
    auto it = live_map().find(r);
    if (it != live_map().end()) it->second = true;
}

void forget_formula(FormulaRecord *r) { live_map().erase(r); }

// --- lists ----------------------------------------------------------------

size_t name_length(const FormulaRecord *r) {
    if (!r->code || !r->header) return 0;
    int32_t code_length = r->header[kCodeLength];
    if (code_length < 4) return 0;
    // The name occupies words 1.. of the code array and is NUL-terminated.
    size_t max_words = size_t(code_length) / 2 - 1;
    const char16_t *name = formula_name(r);
    size_t n = 0;
    while (n < max_words && name[n] != 0) ++n;
    return n == max_words ? 0 : n;
}

FormulaRecord *same_name_list(int type, const char16_t *name, size_t len) {
    if (!valid_type(type) || !name || len == 0) return nullptr;
    TreeEntry *e = name_tree().find(wide_key(name, len), type);
    return e ? static_cast<FormulaRecord *>(e->data) : nullptr;
}

FormulaRecord *anonymous_list(int type) { return valid_type(type) ? g_anonymous[type] : nullptr; }

CalleeRange callee_range(const FormulaRecord *r) {
    int32_t *h = r->header;
    if (!h) return {nullptr, nullptr};
    int32_t first = h[kCalleeFirst];
    int32_t last = h[kCalleeLast];
    if (first < kOperandStart || last < first || last >= h[kHeaderLength]) return {h, h};
    return {h + first, h + last + 1};
}

// --- referrers ------------------------------------------------------------

void invalidate_referrers(ReferrerCell *list, uint32_t callee_index, int32_t code) {
    while (list) {
        ReferrerCell *next = list->next;
        if (FormulaRecord *referrer = list->formula; referrer && referrer->header) {
            referrer->header[kCodeStart] = code;
            CalleeRange callees = callee_range(referrer);
            for (int32_t *w = callees.begin; w != callees.end; ++w)
                if (uint32_t(*w) == callee_index) *w = 0;
            if (ReferrerCell **cells = referrer->callee_cells) {
                for (ptrdiff_t k = 0; k < callees.end - callees.begin; ++k)
                    if (cells[k] == list) cells[k] = nullptr;
            }
        }
        delete list;
        list = next;
    }
}

void free_referrers(ReferrerCell *list) {
    while (list) {
        ReferrerCell *next = list->next;
        delete list;
        list = next;
    }
}

void leave_callees(FormulaRecord *r) {
    ReferrerCell **cells = r->callee_cells;
    if (!cells) return;
    CalleeRange callees = callee_range(r);
    for (ptrdiff_t k = 0; k < callees.end - callees.begin; ++k) {
        if (cells[k]) unlink_cell(cells[k]);
        cells[k] = nullptr;
    }
}

namespace {

// The formula's cell array, made on first use (zeroed: no cell yet).
ReferrerCell **cells_of(FormulaRecord *r, size_t count) {
    if (!r->callee_cells)
        r->callee_cells = static_cast<ReferrerCell **>(std::calloc(count, sizeof(ReferrerCell *)));
    return r->callee_cells;
}

// Puts the formula's cell for word k of its callee range at the front of the
// callee's list.
bool enter_at(FormulaRecord *r, ReferrerCell **cells, size_t k, uint32_t callee_index) {
    ReferrerCell **list = referrer_list_of(callee_index);
    if (!list) return false;
    auto *cell = new (std::nothrow) ReferrerCell{r, *list, list};
    if (!cell) return false;
    if (*list) (*list)->link = &cell->next;
    *list = cell;
    cells[k] = cell;
    return true;
}

}  // namespace

bool add_referrer(uint32_t callee_index, FormulaRecord *formula) {
    if (!formula || !formula->header) return false;
    CalleeRange callees = callee_range(formula);
    size_t count = size_t(callees.end - callees.begin);
    if (count == 0 || !referrer_list_of(callee_index)) return false;
    ReferrerCell **cells = cells_of(formula, count);
    if (!cells) return false;
    for (size_t k = 0; k < count; ++k) {  // the first word naming it without a cell
        if (uint32_t(callees.begin[k]) == callee_index && !cells[k])
            return enter_at(formula, cells, k, callee_index);
    }
    return false;
}

bool enter_referrers(FormulaRecord *r) {
    if (!r || !r->header) return false;
    CalleeRange callees = callee_range(r);
    size_t count = size_t(callees.end - callees.begin);
    if (count == 0) return true;
    ReferrerCell **cells = cells_of(r, count);
    if (!cells) return false;
    for (size_t k = 0; k < count; ++k)
        if (!enter_at(r, cells, k, uint32_t(callees.begin[k]))) return false;
    return true;
}

// --- filing ---------------------------------------------------------------

bool file_formula(FormulaRecord *r) {
    if (!r || !r->code || !r->header || !valid_type(r->type)) return false;
    auto &map = live_map();
    if (map.count(r)) return false;
    try {
        map.emplace(r, false);
    } catch (...) {
        return false;
    }
    size_t len = name_length(r);
    if (len == 0) {
        r->anonymous = true;
        push_front(&g_anonymous[r->type], r);
        return true;
    }
    auto *name = static_cast<char16_t *>(std::malloc(len * sizeof(char16_t)));
    if (!name) {
        map.erase(r);
        return false;
    }
    std::memcpy(name, formula_name(r), len * sizeof(char16_t));
    TreeEntry *e = nullptr;
    auto rc = name_tree().insert(wide_key(name, len), r->type, r, release_name_list, &e);
    if (rc == NameTree::Insert::NoMemory) {
        std::free(name);
        map.erase(r);
        return false;
    }
    r->filed_name = name;
    r->filed_name_length = len;
    r->anonymous = false;
    auto *head = rc == NameTree::Insert::Exists ? static_cast<FormulaRecord *>(e->data) : nullptr;
    push_front(&head, r);
    e->data = head;
    return true;
}

void discard_formula(FormulaRecord *r) {
    if (!r) return;
    if (live_formula(r)) {
        unfile(r);
        release_formula(r);
        return;
    }
    if (r->header) {
        leave_callees(r);
        module_formula_removed(r->header[kModuleNo]);
    }
    free_referrers(r->referrers);
    r->referrers = nullptr;
    forget_run_error_formula(r);
    destroy_record(r);
}

// --- teardown -------------------------------------------------------------

void registry_teardown() {
    bool was_in_teardown = g_in_teardown;
    g_in_teardown = true;
    for (int type = 1; type <= 3; ++type) {
        while (FormulaRecord *r = g_anonymous[type]) {
            unlink_from(&g_anonymous[type], r);
            release_formula(r);
        }
    }
    name_tree().clear();
    release_name_tree();
    release_constant_cells();
    delete g_live;
    g_live = nullptr;
    g_static_release_hook = nullptr;
    g_in_teardown = was_in_teardown;
}

}  // namespace tmx

extern "C" TM_API void TM_CALL DeleteFor(int type, void *hFor) {
    using namespace tmx;
    if (g_in_teardown || !valid_type(type)) return;
    FormulaRecord *r = live_formula(hFor, type);
    // A running formula (or one of its callers) must not vanish under the
    // evaluator; it stays until it is idle or the kernel is freed.
    if (!r || r->code[0] != kIdle) return;
    unfile(r);
    release_formula(r);
}
