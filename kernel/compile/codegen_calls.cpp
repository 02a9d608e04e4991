// Closing a built-in or a call: the argument count, the instruction, and for
// calls the write-back list of the by-reference arguments.
#include "../address_table.h"
#include "../registry/registry.h"
#include "codegen_internal.h"

namespace tmx {

namespace {

// Write-back tags in the code array after a call.
constexpr uint8_t kWriteBackLocal = 2;
constexpr uint8_t kWriteBackShared = 3;
constexpr uint8_t kWriteBackEnd = 0;

struct Expected {
    int32_t count; // arguments the callee takes; -1: any number
    TmCompileResult error; // for another count
};

int32_t formula_last_param(const Generator &g, uint32_t index) {
    // The formula being compiled has no arrays yet: a call of itself takes
    // its header facts from the context.
    if (index == g.cx.self_index) return g.cx.last_param;
    const auto *callee = static_cast<const FormulaRecord *>(address_at(index));
    return callee->header[kLastParam];
}

Expected expected_arguments(const Generator &g, const BracketRecord &b) {
    if (b.kind == kTokCallExternal) {
        const auto *f = static_cast<const ExternalFunction *>(address_at(b.value));
        return {f->param_count < -1 ? -1 : f->param_count + 1, TM_CE_BUILTIN_TWO_ARGUMENTS};
    }
    int32_t params = formula_last_param(g, b.value) + 1;
    switch (b.kind) {
    case kTokCallInt: return {params, TM_CE_INT_CALL_ARGUMENTS};
    case kTokCallReal: return {params, TM_CE_REAL_CALL_ARGUMENTS};
    default:
        // A complex argument takes two slots of a real or integer caller.
        return {g.type.type == 3 ? params : 2 * params, TM_CE_COMPLEX_CALL_ARGUMENTS};
    }
}

}  // namespace

int close_builtin(Generator &g, int32_t close) {
    const BracketRecord &b = g.bracket();
    const BuiltinTable &table = *g.type.builtins;
    int position = int(b.value) - kFirstBuiltin;
    if (position < 0 || position >= table.count) return g.fail_range(TM_CE_UNKNOWN_FUNCTION, b.name, b.name);
    bool one_arg = position < table.one_arg;
    if (b.args != (one_arg ? 0 : 1)) return g.fail_range(TM_CE_BUILTIN_ONE_ARGUMENT, b.name, close);
    auto opcode = uint8_t(b.value);
    bool foldable = one_arg && opcode >= table.fold_first && opcode <= table.fold_last;
    if (foldable && g.trailing_consts >= 1) return fold_builtin(g, opcode);
    // "return" ends the activation: it is the formula's own OpReturn.
    g.emit(opcode == kFirstBuiltin ? uint8_t(OpReturn) : opcode);
    return 0;
}

int close_call(Generator &g, int32_t close) {
    const BracketRecord &b = g.bracket();
    Expected want = expected_arguments(g, b);
    if (want.count >= 0 && b.args + 1 != want.count) return g.fail_range(want.error, b.name, close);
    g.emit(uint8_t(OpCallInt + (b.kind - kTokCallInt)));
    g.operand(int32_t(b.value));
    g.operand(b.args);
    // Newest first: the entries of this bracket are on top of the store stack.
    while (g.nstores > 0) {
        const StoreRecord &s = g_work.store_stack[g.nstores - 1];
        if (s.depth != g.nbrackets || s.position < 0) break;
        g.emit(s.shared ? kWriteBackShared : kWriteBackLocal);
        g.operand(s.position);
        g.operand(int32_t(s.operand));
        --g.nstores;
    }
    g.emit(kWriteBackEnd);
    return 0;
}

}  // namespace tmx
