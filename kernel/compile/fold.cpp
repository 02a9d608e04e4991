// Constant folding.  Operations on constants just pushed are computed by the
// type's own evaluator on a scratch record, so a folded result has exactly
// the bits (and raises exactly the run errors) the formula would produce at
// run time.  The scratch record shares the data buffer under construction:
// its constants are the ones just pushed, its stack the three cells after
// them, which hold nothing yet.
#include <cstring>

#include "../run_error.h"
#include "codegen_internal.h"

namespace tmx {

namespace {

constexpr int32_t kScratchStack = 3;

// Runs {pushes of the constants first..ci-1, `ops`, OpReturn} and stores the
// result in constant slot `first`.  0, or kGrowConstants when the buffer has
// no room for the scratch stack.
int evaluate_on_scratch(Generator &g, uint8_t opcode, int32_t first) {
    const int32_t base = g.ci;
    if (base + kScratchStack > g.data_cap) return kGrowConstants;
    uint8_t code[8] = {0, 0};
    int32_t n = 2;
    for (int32_t k = first; k < base; ++k) code[n++] = OpPushConst;
    code[n++] = opcode;
    code[n++] = OpReturn;

    int32_t header[kOperandStart + 1] = {};
    header[kLastParam] = -1;
    header[kVarCount] = first;
    header[kCodeLength] = n;
    header[kHeaderLength] = kOperandStart;
    header[kDataLength] = base + kScratchStack;
    header[kCodeStart] = 2;
    header[kStackBase] = base;
    header[kModuleNo] = g.cx.module;
    header[kCalleeFirst] = kOperandStart;
    header[kCalleeLast] = kOperandStart - 1;
    header[kFirstStatic] = first;
    header[kFirstString] = 1;

    FormulaRecord scratch;
    scratch.code = code;
    scratch.header = header;
    scratch.data = g.data;
    scratch.type = int8_t(g.type.type);
    alignas(16) unsigned char result[16] = {};
    g.type.evaluate(&scratch, g.data, result);
    // The error stays pending (the compile stops with 36 at the next token),
    // but must not name a record that is gone when this returns.
    forget_run_error_formula(&scratch);
    std::memcpy(g.constant(first), result, g.slot);
    return 0;
}

}  // namespace

void fold_negate(Generator &g) { g.type.negate(g.constant(g.ci - 1)); }

void fold_not(Generator &g) { g.type.logical_not(g.constant(g.ci - 1)); }

// The two constants become one: the second slot and its push are taken back.
int fold_binary(Generator &g, uint8_t opcode) {
    if (int rc = evaluate_on_scratch(g, opcode, g.ci - 2)) return rc;
    --g.ci;
    --g.pc;
    --g.trailing_consts;
    return 0;
}

int fold_builtin(Generator &g, uint8_t opcode) {
    return evaluate_on_scratch(g, opcode, g.ci - 1);
}

}  // namespace tmx
