// "const"("name", value [, mode]): constants made by scripts.
//
// Two arguments make a permanent constant; a third, non-zero mode makes a
// deletable one, and mode 0 deletes a deletable one again.  The origin kept
// in the constant's cell tells the kinds apart, so DeleteConstOrFunction
// (which removes only the host's SetConst constants) leaves all of them
// alone.  A compiled formula folds a constant's value into its own code, so
// deleting one never invalidates a formula.
#include "../record.h"
#include "../registry/name_tree.h"
#include "../registry/registry.h"
#include "builtin_support.h"
#include "builtins.h"
#include "script_args.h"

namespace tmx {

namespace {

enum ConstResult : int {
    kDone = 0,
    kExists = 1,
    kNoMemory = 2,
    kEmptyName = 3,
    kBadArgumentCount = 4,
    kBadString = 5,
    kPermanent = 6,
};

bool deletable(const TreeEntry *e) {
    const ConstantCell *cell = cell_of(e);
    return cell && cell->origin == ConstantOrigin::ScriptDeletable;
}

// Absent: nothing to do.  Present but permanent (made by "const" without a
// mode, or by the host): refused.
int delete_constant(int entry_type, TreeKey key) {
    const TreeEntry *e = name_tree().find(key, entry_type);
    if (!e) return kDone;
    if (!deletable(e)) return kPermanent;
    name_tree().remove(key, entry_type);
    return kDone;
}

int create_constant(int number_type, const char16_t *name, size_t len, const void *value,
                    bool is_deletable) {
    return file_constant(6 + number_type, name, len, value,
                         is_deletable ? ConstantOrigin::ScriptDeletable : ConstantOrigin::Script);
}

// `value` and `mode` are read only when the count says they were passed.
int script_const(int number_type, int m, int64_t name_index, const void *value,
                 bool mode_nonzero, const TmCallContext *ctx) {
    if (m != 1 && m != 2) return kBadArgumentCount;
    const char16_t *name = nullptr;
    size_t len = 0;
    if (!string_argument(ctx, name_index, &name, &len)) return kBadString;
    if (len == 0) return kEmptyName;
    if (m == 2 && !mode_nonzero) return delete_constant(6 + number_type, wide_key(name, len));
    return create_constant(number_type, name, len, value, m == 2);
}

}  // namespace

int64_t builtin_const_int(int m, int64_t *args, TmCallContext *ctx) {
    const bool mode = m == 2 && args[2] != 0;
    return script_const(1, m, m >= 0 ? args[0] : -1, args + 1, mode, ctx);
}

double builtin_const_real(int m, double *args, TmCallContext *ctx) {
    const bool mode = m == 2 && args[2] != 0;
    return script_const(2, m, m >= 0 ? string_index_of(args[0]) : -1, args + 1, mode, ctx);
}

void builtin_const_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx) {
    const bool mode = m == 2 && args[2].re != 0;
    const int code =
        script_const(3, m, m >= 0 ? string_index_of(args[0].re) : -1, args + 1, mode, ctx);
    *result = {double(code), 0.0};
}

}  // namespace tmx
