// Moving a string between the calling formula's string area and another
// formula's.  Both functions give 0 whatever happens; a string is copied
// only when it fits the region with its terminator.
#include <cstring>

#include "formula_text.h"
#include "operations.h"

namespace strlib {

namespace {

bool valid_type(int64_t type) { return type >= 1 && type <= 3; }

// Writes the string of `from` at `index` into `to` at dest; the two may be
// the same area.  False when it does not fit in size elements.
bool move_string(const StringArea &from, int64_t index, const StringArea &to, int64_t dest,
                 int64_t size) {
    const size_t n = from.length_at(index);
    if (int64_t(n) >= size) return false;
    std::memmove(to.words + dest, from.words + index, n * sizeof(char16_t));
    to.words[dest + int64_t(n)] = 0;
    return true;
}

}  // namespace

// fstons(type, handle, index, dest, size): codes 1 bad type, 2 bad source,
// 3 bad destination region, 4 the source does not fit.
int64_t op_fstons(const Call &call) {
    const Arguments &a = call.args;
    if (!valid_type(a.integer[0])) return call.fail(1);
    const StringArea source = formula_area(call.lib, int(a.integer[0]), a.handle[1]);
    if (!source.holds(a.integer[2])) return call.fail(2);
    const StringArea own = caller_area(call.lib, call.ctx);
    if (!own.holds_region(a.integer[3], a.integer[4])) return call.fail(3);
    if (!move_string(source, a.integer[2], own, a.integer[3], a.integer[4])) return call.fail(4);
    return 0;
}

// nstofs(src, type, handle, dest, size): codes 1 bad source, 2 bad type,
// 3 bad destination region, 4 the source does not fit.
int64_t op_nstofs(const Call &call) {
    const Arguments &a = call.args;
    const StringArea own = caller_area(call.lib, call.ctx);
    if (!own.holds(a.integer[0])) return call.fail(1);
    if (!valid_type(a.integer[1])) return call.fail(2);
    const StringArea target = formula_area(call.lib, int(a.integer[1]), a.handle[2]);
    if (!target.holds_region(a.integer[3], a.integer[4])) return call.fail(3);
    if (!move_string(own, a.integer[0], target, a.integer[3], a.integer[4])) return call.fail(4);
    return 0;
}

}  // namespace strlib
