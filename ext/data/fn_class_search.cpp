// CSD, CSB, CSort, CDFSBase: searching, sorting and walking classes.  The
// recursive ones mark the class they are inside busy, so cycles end, and
// stop at the recursion limit.
#include <unordered_set>

#include "class_args.h"
#include "copy.h"
#include "kinds.h"
#include "script_functions.h"

namespace tmdata {

namespace {

constexpr std::u16string_view kTooDeep = u"类层次太深，无法继续操作。";

// Sets a class's busy flag for the lifetime of the guard.  The class is
// found again at the end: nothing the searches do deletes it, but a flag is
// never written into a block that is gone.
class BusyGuard {
public:
    explicit BusyGuard(uint32_t handle) : handle_(handle) { find_class(handle)->busy = 1; }
    ~BusyGuard() {
        if (TmDataClassBlock *block = find_class(handle_)) block->busy = 0;
    }

private:
    uint32_t handle_;
};

// The class a value names when a search may enter it: live and not busy.
TmDataClassBlock *enterable(int64_t value) {
    TmDataClassBlock *block = find_class(uint32_t(value));
    return block && !block->busy ? block : nullptr;
}

struct DepthFirst {
    const ClassCall &call;
    std::u16string_view name;
    int limit;

    int64_t search(uint32_t handle, int depth) {
        if (depth > limit || native_stack_low()) {
            call.fail(kTooDeep);
            return 0;
        }
        TmDataClassBlock *block = enterable(handle);
        if (!block) return 0;
        const int position = find_member(*block, name);
        if (position >= 0) return block->values[position];
        BusyGuard busy(handle);
        for (int i = 0; i < block->length; ++i) {
            if (int64_t found = search(uint32_t(block->values[i]), depth + 1)) return found;
        }
        return 0;
    }
};

int64_t search_depth_first(const IntArgs &a) {
    const ClassCall call{a, u"CSD："};
    if (!enterable(a.handle(0))) return 0;
    const char16_t *name = call.name(1);
    if (!name) return 0;
    return DepthFirst{call, name, nesting_limit(*library())}.search(a.handle(0), 0);
}

struct Shallowest {
    const ClassCall &call;
    std::u16string_view name;
    int limit;
    bool found = false;
    int foundDepth = 0;
    int64_t value = 0;

    void visit(uint32_t handle, int depth) {
        if (depth > limit || native_stack_low()) {
            call.fail(kTooDeep);
            return;
        }
        TmDataClassBlock *block = enterable(handle);
        if (!block) return;
        const int position = find_member(*block, name);
        if (position >= 0) {
            if (!found || depth < foundDepth) {
                found = true;
                foundDepth = depth;
                value = block->values[position];
            }
            return;
        }
        BusyGuard busy(handle);
        for (int i = 0; i < block->length && (!found || depth < foundDepth); ++i) {
            visit(uint32_t(block->values[i]), depth + 1);
        }
    }
};

int64_t search_shallowest(const IntArgs &a) {
    const ClassCall call{a, u"CSB："};
    if (!enterable(a.handle(0))) return 0;
    const char16_t *name = call.name(1);
    if (!name) return 0;
    Shallowest search{call, name, nesting_limit(*library())};
    search.visit(a.handle(0), 0);
    return search.value;
}

// The comparison formula: an integer formula of two parameters, looked up
// by its handle afresh before every call, since the formula may delete
// itself (or the class) while the sort runs.
void *comparison_formula(const Library &lib, uint32_t handle) {
    void *hFor = nullptr;
    int params = -1;
    void *number = reinterpret_cast<void *>(uintptr_t(handle));
    if (!lib.kernel.GetFor(nullptr, TM_INTEGER, number, nullptr, &hFor, nullptr, &params)) {
        return nullptr;
    }
    return params == 1 ? hFor : nullptr;
}

int64_t sort(const IntArgs &a) {
    const ClassCall call{a, u"CSort："};
    const Library &lib = *library();
    if (!call.cls(0)) return 0;
    const uint32_t formula = a.handle(1);
    void *hFor = nullptr;
    int params = -1;
    if (!lib.kernel.GetFor(nullptr, TM_INTEGER, reinterpret_cast<void *>(uintptr_t(formula)),
                           nullptr, &hFor, nullptr, &params)) {
        return call.fail(u"指定的表达式不存在。");
    }
    if (params != 1) return call.fail(u"不是二元函数。");
    const uint32_t handle = a.handle(0);
    const int length = find_class(handle)->length;
    for (int k = length - 1; k >= 1; --k) {
        int greatest = 0;
        for (int i = 1; i <= k; ++i) {
            TmDataClassBlock *block = find_class(handle);
            hFor = comparison_formula(lib, formula);
            // The class shrank, went, or the formula went: stop where it stands.
            if (!block || block->length <= k || !hFor || error_pending()) return 0;
            int64_t args[2] = {block->values[i], block->values[greatest]};
            if (lib.kernel.IntCal(hFor, args) > 0) greatest = i;
        }
        TmDataClassBlock *block = find_class(handle);
        if (!block || block->length <= k) return 0;
        std::swap(block->names[greatest], block->names[k]);
        std::swap(block->values[greatest], block->values[k]);
        std::swap(block->attributes[greatest], block->attributes[k]);
    }
    return int64_t(handle);
}

struct Walk {
    const ClassCall &call;
    int64_t *out;
    int64_t room;
    int limit;
    int64_t written = 0;
    // Every class visited: a class reached twice (a shared member, a
    // lattice) is walked once, so the walk stays linear.
    std::unordered_set<uint32_t> seen;

    void visit(uint32_t handle, int depth) {
        if (depth > limit || native_stack_low()) {
            call.fail(kTooDeep);
            return;
        }
        if (!enterable(handle) || !seen.insert(handle).second) return;
        if (written < room) out[written++] = int64_t(handle);
        BusyGuard busy(handle);
        for (int i = 0; i < find_class(handle)->length; ++i) {
            visit(uint32_t(find_class(handle)->values[i]), depth + 1);
        }
    }
};

int64_t dfs_base(const IntArgs &a) {
    const ClassCall call{a, u"CDFSBase："};
    ObjectEntry *e = find_object(a.handle(1));
    if (!e || (e->kind != TMD_INT64_S && e->kind != TMD_UINT64_S)) {
        return call.fail(u"数组指针非法。");
    }
    auto *array = static_cast<TmDataArray *>(e->payload);
    if (array->dims[0] != 3) return call.fail(u"不是一维数组。");
    if (!find_class(a.handle(0))) return 0;
    Walk walk{call, static_cast<int64_t *>(array->buffer), array->dims[1],
              nesting_limit(*library()), 0, {}};
    walk.visit(a.handle(0), 0);
    return walk.written;
}

}  // namespace

TMDATA_INT_ENTRY(int_c_sd, search_depth_first)
TMDATA_INT_ENTRY(int_c_sb, search_shallowest)
TMDATA_INT_ENTRY(int_c_sort, sort)
TMDATA_INT_ENTRY(int_c_dfs_base, dfs_base)

}  // namespace tmdata
