// Code generation: one pass over the checked token list of the body.
//
// Operators wait on the operator stack (the bracket-character buffer) until
// an operator of lower or equal binding, a "," or a ")" releases them, so the
// instruction stream comes out in postfix order.  Every "(" pushes a bracket
// entry (what it belongs to and how many commas it has seen) and a marker
// that stops the release.  Assignments and by-reference arguments wait on the
// store stack until their comma, their ")" or their call closes.
//
// The pass counts the evaluation-stack depth as it goes: every complete
// expression leaves exactly one value, so each jump landing is reached with
// the depth the linear count gives there, and the largest count sizes the
// stack (DataLength - StackBase).
#include <cstring>

#include "../run_error.h"
#include "codegen_internal.h"

namespace tmx {

namespace {

constexpr uint16_t kMarker = kTokOpen; // bracket marker on the operator stack
constexpr int kUnaryLevel = 7;

// Binding level of an operator (higher binds tighter); 0 for anything else.
int level_of(uint16_t kind) {
    switch (kind) {
    case kTokOr: return 1;
    case kTokAnd: return 2;
    case kTokGt: case kTokGe: case kTokLt: case kTokLe: case kTokEq: case kTokNe: return 3;
    case kTokPlus: case kTokMinus: return 4;
    case kTokMul: case kTokDiv: case kTokPercent: return 5;
    case kTokCaret: return 6;
    case kTokUnaryPlus: case kTokUnaryMinus: case kTokNot: return kUnaryLevel;
    default: return 0;
    }
}

uint8_t binary_opcode(uint16_t kind) {
    switch (kind) {
    case kTokOr: return OpOr;
    case kTokAnd: return OpAnd;
    case kTokGt: return OpGt;
    case kTokGe: return OpGe;
    case kTokLt: return OpLt;
    case kTokLe: return OpLe;
    case kTokEq: return OpEq;
    case kTokNe: return OpNe;
    case kTokPlus: return OpAdd;
    case kTokMinus: return OpSub;
    case kTokMul: return OpMul;
    case kTokDiv: return OpDiv;
    default: return OpPow; // '^' (real, complex) and '%' (integer remainder)
    }
}

bool is_call(int32_t kind) { return kind >= kTokCallInt && kind <= kTokCallExternal; }
bool is_control(int32_t kind) { return kind >= kTokIf && kind <= kTokWhich; }

// Emits (or folds) one operator taken off the operator stack.
int apply_operator(Generator &g, uint16_t kind, int32_t at) {
    if (kind == kTokUnaryPlus) return 0;
    int needed = level_of(kind) == kUnaryLevel ? 1 : 2;
    if (g.depth < needed) return g.fail_range(TM_CE_BAD_OPERATORS, at, at);
    if (kind == kTokUnaryMinus || kind == kTokNot) {
        bool negate = kind == kTokUnaryMinus;
        if (g.trailing_consts >= 1) {
            negate ? fold_negate(g) : fold_not(g);
            return 0;
        }
        g.emit(negate ? OpNeg : OpNot);
        return 0;
    }
    uint8_t opcode = binary_opcode(kind);
    g.depth -= 1;
    if (g.trailing_consts >= 2) return fold_binary(g, opcode);
    g.emit(opcode);
    return 0;
}

// Releases the operators above the nearest marker that bind at least as
// tightly as `min_level`.
int release_operators(Generator &g, int min_level) {
    const char16_t *ops = g_work.bracket_chars;
    while (g.nops > 0 && ops[g.nops - 1] != kMarker && level_of(ops[g.nops - 1]) >= min_level) {
        --g.nops;
        if (int rc = apply_operator(g, ops[g.nops], g_work.bracket_positions[g.nops])) return rc;
        if (g.status) return g.status;
    }
    return 0;
}

void push_operator(Generator &g, uint16_t kind, int32_t at) {
    if (g.nops >= g_work.token_capacity) return g.grow(kGrowTokens);
    g_work.bracket_chars[g.nops] = kind;
    g_work.bracket_positions[g.nops] = at;
    ++g.nops;
}

int binary_operator(Generator &g, int32_t i) {
    uint16_t kind = g.tok[i].kind;
    if (int rc = release_operators(g, level_of(kind))) return rc;
    push_operator(g, kind, i);
    return 0;
}

void push_constant(Generator &g, int32_t i) {
    if (g.ci >= g.data_cap) return g.grow(kGrowConstants);
    int32_t trailing = g.trailing_consts;
    g.emit(OpPushConst);
    if (g.status) return;
    std::memcpy(g.constant(g.ci), g.tok[i].constant, g.slot);
    ++g.ci;
    g.trailing_consts = trailing + 1;
    g.push_value();
}

void push_store(Generator &g, uint32_t operand, int32_t position, bool shared) {
    if (g.nstores >= g_work.store_stack_capacity) return g.grow(kGrowStoreStack);
    g_work.store_stack[g.nstores++] = {g.nbrackets, operand, position, shared ? 1 : 0};
}

// A variable: pushed, or the target of the assignment that follows it.
void variable(Generator &g, int32_t i, int32_t *next) {
    const Token &t = g.tok[i];
    bool shared = t.kind == kTokShared;
    int32_t n = next_token(g, i);
    if (n <= g.cx.body_last && g.tok[n].kind == kTokAssign) {
        push_store(g, t.value, -1, shared);
        g.trailing_consts = 0;
        *next = n + 1;
        return;
    }
    g.last_var_push = g.pc;
    g.emit(shared ? OpPushCommon : OpPushVar);
    g.operand(int32_t(t.value));
    g.push_value();
}

// "&x": pushed like a variable; inside a call it is written back afterwards.
void reference(Generator &g, int32_t i) {
    const Token &t = g.tok[i];
    bool shared = t.kind == kTokSharedRef;
    g.emit(shared ? OpPushCommon : OpPushVar);
    g.operand(int32_t(t.value));
    g.push_value();
    if (g.nbrackets > 0 && is_call(g.bracket().kind))
        push_store(g, t.value, g.bracket().args, shared);
}

int pre_step(Generator &g, int32_t i, int32_t *next) {
    int32_t n = next_token(g, i);
    if (n > g.cx.body_last) return g.fail_range(TM_CE_BAD_INCREMENT, i, i);
    const Token &v = g.tok[n];
    if (v.kind != kTokLocal && v.kind != kTokShared) return g.fail_range(TM_CE_BAD_INCREMENT, i, n);
    bool inc = g.tok[i].kind == kTokPreInc;
    uint8_t opcode = v.kind == kTokLocal ? (inc ? OpPreIncVar : OpPreDecVar)
                                         : (inc ? OpPreIncCommon : OpPreDecCommon);
    g.emit(opcode);
    g.operand(int32_t(v.value));
    g.push_value();
    g.spare_cell();
    *next = n + 1;
    return 0;
}

// A postfix step turns the push of its variable, the instruction just
// emitted, into the matching post-increment or post-decrement.
int post_step(Generator &g, int32_t i) {
    if (g.last_var_push < 0 || g.last_var_push != g.pc - 1) return g.fail_range(TM_CE_BAD_INCREMENT, i, i);
    bool inc = g.tok[i].kind == kTokPostInc;
    uint8_t &byte = g.code[g.last_var_push];
    byte = byte == OpPushVar ? (inc ? OpPostIncVar : OpPostDecVar)
                             : (inc ? OpPostIncCommon : OpPostDecCommon);
    g.spare_cell();
    return 0;
}

void open_bracket(Generator &g, int32_t kind, uint32_t value, int32_t name, int32_t open) {
    if (g.nbrackets >= g_work.bracket_stack_capacity) return g.grow(kGrowBracketStack);
    int32_t n = next_token(g, open);
    int32_t args = n <= g.cx.body_last && g.tok[n].kind == kTokClose ? -1 : 0;
    g_work.bracket_stack[g.nbrackets++] = {kind, value, args, name};
    push_operator(g, kMarker, open);
}

// A function name and its "(": built-in, call or control function.
int open_function(Generator &g, int32_t i, int32_t *next) {
    int32_t open = next_token(g, i);
    if (open > g.cx.body_last || g.tok[open].kind != kTokOpen) return g.fail_range(TM_CE_BAD_OPERATORS, i, i);
    int32_t close = next_token(g, open);
    int32_t args = close <= g.cx.body_last && g.tok[close].kind == kTokClose ? -1 : 0;
    const Token &t = g.tok[i];
    int rc = 0;
    switch (t.kind) {
    case kTokBreak: rc = emit_break(g, i, args); break;
    case kTokContinue: rc = emit_continue(g, i, args); break;
    case kTokWhile:
    case kTokUntil: rc = open_loop(g, t.kind); break;
    case kTokWhich: g.push_control({kCtlWhich, 0, 0, 0, 0}); break;
    default: break;
    }
    if (rc) return rc;
    open_bracket(g, t.kind, t.value, i, open);
    *next = open + 1;
    return 0;
}

// An assignment waiting for the end of its argument.
void pending_assignment(Generator &g) {
    if (g.nstores == 0) return;
    const StoreRecord &s = g_work.store_stack[g.nstores - 1];
    if (s.depth != g.nbrackets || s.position != -1) return;
    g.emit(s.shared ? OpStoreCommon : OpStoreVar);
    g.operand(int32_t(s.operand));
    --g.nstores;
}

// Releases the operators of the argument that ends at a "," or ")".
int end_argument(Generator &g, int32_t i) {
    if (g.nbrackets == 0) return g.fail_range(TM_CE_BRACKETS, i, i);
    if (int rc = release_operators(g, 1)) return rc;
    if (g.nops == 0 || g_work.bracket_chars[g.nops - 1] != kMarker) return g.fail_range(TM_CE_BAD_OPERATORS, i, i);
    pending_assignment(g);
    return 0;
}

int comma(Generator &g, int32_t i) {
    if (int rc = end_argument(g, i)) return rc;
    g.trailing_consts = 0; // no operator spans a comma
    BracketRecord &b = g.bracket();
    if (b.args < 0) return g.fail_range(TM_CE_BAD_OPERATORS, i, i);
    if (is_control(b.kind)) control_comma(g);
    ++b.args;
    return 0;
}

int close_bracket(Generator &g, int32_t i) {
    if (int rc = end_argument(g, i)) return rc;
    --g.nops; // the marker
    BracketRecord &b = g.bracket();
    int rc = 0;
    if (b.kind == 0) {
        if (b.args < 0) return g.fail_range(TM_CE_EMPTY_BRACKETS, b.name, i);
        if (b.args > 0) {
            g.emit(OpDropKeep);
            g.operand(b.args);
        }
    } else if (b.kind == kTokBuiltin) {
        rc = close_builtin(g, i);
    } else if (is_call(b.kind)) {
        rc = close_call(g, i);
    } else if (is_control(b.kind)) {
        rc = close_control(g, i);
    }
    if (rc) return rc;
    // The bracket leaves one value in place of its arguments (break and
    // continue count as one value: the code after them is never reached).
    if (b.args < 0) g.push_value();
    else g.depth -= b.args;
    --g.nbrackets;
    while (g.nstores > 0 && g_work.store_stack[g.nstores - 1].depth > g.nbrackets) --g.nstores;
    return 0;
}

int step(Generator &g, int32_t i, int32_t *next) {
    const uint16_t kind = g.tok[i].kind;
    switch (kind) {
    case kTokDeleted: return 0;
    case kTokConstant: push_constant(g, i); return 0;
    case kTokLocal:
    case kTokShared: variable(g, i, next); return 0;
    case kTokLocalRef:
    case kTokSharedRef: reference(g, i); return 0;
    case kTokOpen: open_bracket(g, 0, 0, i, i); return 0;
    case kTokClose: return close_bracket(g, i);
    case kTokComma: return comma(g, i);
    case kTokPreInc:
    case kTokPreDec: return pre_step(g, i, next);
    case kTokPostInc:
    case kTokPostDec: return post_step(g, i);
    case kTokUnaryPlus:
    case kTokUnaryMinus:
    case kTokNot: push_operator(g, kind, i); return 0; // prefix: nothing to release
    default: break;
    }
    if (kind >= kTokBuiltin && kind <= kTokContinue) return open_function(g, i, next);
    if (level_of(kind) > 0) return binary_operator(g, i);
    return g.fail_range(TM_CE_BAD_CHARACTER, i, i);
}

// Moves the callee reference list from the far end of the header buffer to
// right after the operand stream, in the order it was noted.
void place_callee_list(Generator &g) {
    int32_t n = g.cx.callee_count;
    int32_t *list = g.header + g_work.header_capacity - n; // noted last first
    for (int32_t a = 0, b = n - 1; a < b; ++a, --b) {
        int32_t t = list[a];
        list[a] = list[b];
        list[b] = t;
    }
    std::memmove(g.header + g.op, list, size_t(n) * sizeof(int32_t));
}

int finish(Generator &g) {
    CompileContext &cx = g.cx;
    if (g.nbrackets != 0 || g.depth != 1)
        return g.fail_range(TM_CE_BAD_OPERATORS, cx.body_first, cx.body_last);
    g.emit(OpReturn);
    if (g.status) return g.status;
    g.code[1] |= cx.flags;
    place_callee_list(g);
    int32_t *h = g.header;
    h[kLastParam] = cx.last_param;
    h[kVarCount] = cx.var_count;
    h[kCodeLength] = g.pc;
    h[kHeaderLength] = g.op + cx.callee_count;
    h[kDataLength] = g.ci + g.max_depth;
    h[kCodeStart] = cx.code_start;
    h[kStackBase] = g.ci;
    h[kModuleNo] = cx.module;
    h[kSelf] = int32_t(cx.self_index);
    h[kReferrers] = 0;
    h[kCalleeFirst] = g.op;
    h[kCalleeLast] = g.op + cx.callee_count - 1;
    h[kFirstStatic] = cx.first_static;
    h[kFreeVar] = cx.free_var;
    h[kFirstString] = cx.first_string;
    return 0;
}

// Capacities the pass needs before its first token: the prefix of the code
// array, header entries 0-14 below the callee list, the variable slots.
int start(Generator &g) {
    CompileContext &cx = g.cx;
    if (cx.code_start > g.code_cap) return kGrowCode;
    if (g.operand_limit < kOperandStart) return kGrowHeader;
    if (cx.var_count > g.data_cap) return kGrowConstants;
    std::memset(g.data, 0, size_t(cx.var_count) * g.slot);
    return 0;
}

}  // namespace

Generator::Generator(CompileContext &c)
    : cx(c), type(*c.type), tok(c.tokens()), code(g_work.code), code_cap(g_work.code_capacity),
      header(g_work.header), operand_limit(g_work.header_capacity - c.callee_count),
      data(c.data()), data_cap(c.data_capacity()), slot(c.type->slot), pc(c.code_start),
      ci(c.var_count) {}

int32_t next_token(const Generator &g, int32_t i) {
    int32_t n = i + 1;
    while (n <= g.cx.body_last && g.tok[n].kind == kTokDeleted) ++n;
    return n;
}

int generate(CompileContext &cx) {
    Generator g(cx);
    if (int rc = start(g)) return rc;
    for (int32_t i = cx.body_first; i <= cx.body_last;) {
        int32_t next = i + 1;
        if (g.tok[i].kind != kTokDeleted && run_error_pending()) return cx.fail(TM_CE_STOPPED_BY_RUN_ERROR, 0, 0);
        if (int rc = step(g, i, &next)) return rc;
        if (g.status) return g.status;
        i = next;
    }
    // A fold at the last ")" may have raised a run error too.
    if (run_error_pending()) return cx.fail(TM_CE_STOPPED_BY_RUN_ERROR, 0, 0);
    return finish(g);
}

}  // namespace tmx
