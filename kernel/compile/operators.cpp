// Unary operators, increments and assignment.
//
// "+", "-" and "!" are unary after "(", "," or "="; "+"/"-" anywhere else
// are binary (so 2*-3 is refused later), "!" anywhere else is error 21.
// "++"/"--" are prefix after "(", "," or "=" (a lone variable must follow)
// and postfix after a variable (then "," or ")" must follow): error 19.
// "=" assigns to a lone variable right after "(" or ",": error 22.
//
// A unary minus whose operand is followed by "^" is error 30: -2^2 would
// otherwise mean (-2)^2.  The operand may be a number, a variable (with a
// postfix increment), a bracket or a call; for the bracketed kinds the check
// waits for the closing bracket, using a stack of open brackets.
#include "parse_tokens.h"

namespace tmx {

namespace {

bool is_variable(uint16_t k) { return k == kTokLocal || k == kTokShared; }
bool starts_operand(uint16_t k) { return k == kTokOpen || k == kTokComma || k == kTokAssign; }
bool is_function(uint16_t k) { return k >= kTokBuiltin && k <= kTokContinue; }

struct OperatorPass {
    CompileContext &cx;
    Token *tok;
    char16_t *marked;   // per open bracket: preceded by a unary minus
    int32_t *minus_at;  // ... at this token
    int32_t depth = 0;

    explicit OperatorPass(CompileContext &c)
        : cx(c), tok(c.tokens()), marked(g_work.bracket_chars),
          minus_at(g_work.bracket_positions) {}

    int fail(TmCompileResult code, int32_t a, int32_t b) { return cx.fail(code, tok[a].first, tok[b].last); }

    void mark_parameter(int32_t var) {
        if (tok[var].kind == kTokLocal && int32_t(tok[var].value) <= cx.last_param) {
            cx.flags |= kFlagModifiesParams;
        }
    }

    int sign(int32_t k);
    int logical_not(int32_t k);
    int increment(int32_t k);
    int assignment(int32_t k);
    int open(int32_t k);
    int close(int32_t k);
    int minus_before_power(int32_t k);
};

int OperatorPass::sign(int32_t k) {
    if (!starts_operand(tok[k - 1].kind)) return 0; // binary
    if (tok[k + 1].kind == kTokClose) return fail(TM_CE_BAD_UNARY, k, k + 1);
    bool minus = tok[k].kind == kTokMinus;
    tok[k].kind = minus ? uint16_t(kTokUnaryMinus) : uint16_t(kTokUnaryPlus);
    return minus ? minus_before_power(k) : 0;
}

// Operands whose "^" is visible from here: a constant or a variable (a
// postfix increment may stand between).  Brackets and calls are checked when
// they close.
int OperatorPass::minus_before_power(int32_t k) {
    int32_t j = k + 1;
    uint16_t kind = tok[j].kind;
    if (kind != kTokConstant && !is_variable(kind)) return 0;
    if (tok[j + 1].kind == kTokInc || tok[j + 1].kind == kTokDec) ++j;
    if (tok[j + 1].kind == kTokCaret) return fail(TM_CE_UNARY_MINUS_POWER, k, j + 1);
    return 0;
}

int OperatorPass::logical_not(int32_t k) {
    if (!starts_operand(tok[k - 1].kind) || tok[k + 1].kind == kTokClose) return fail(TM_CE_BAD_UNARY, k, k + 1);
    return 0;
}

int OperatorPass::increment(int32_t k) {
    bool inc = tok[k].kind == kTokInc;
    uint16_t before = tok[k - 1].kind;
    if (starts_operand(before)) {
        // A variable is never the body's last token, so k + 2 exists.
        if (!is_variable(tok[k + 1].kind) || tok[k + 2].kind == kTokInc ||
            tok[k + 2].kind == kTokDec) {
            return fail(TM_CE_BAD_INCREMENT, k, k + 1);
        }
        tok[k].kind = inc ? uint16_t(kTokPreInc) : uint16_t(kTokPreDec);
        mark_parameter(k + 1);
        return 0;
    }
    if (!is_variable(before)) return fail(TM_CE_BAD_INCREMENT, k - 1, k);
    uint16_t ante = tok[k - 2].kind;
    if (ante == kTokPreInc || ante == kTokPreDec) return fail(TM_CE_BAD_INCREMENT, k - 1, k);
    uint16_t after = tok[k + 1].kind;
    if (after != kTokComma && after != kTokClose) return fail(TM_CE_BAD_INCREMENT, k, k + 1);
    tok[k].kind = inc ? uint16_t(kTokPostInc) : uint16_t(kTokPostDec);
    mark_parameter(k - 1);
    return 0;
}

int OperatorPass::assignment(int32_t k) {
    if (!is_variable(tok[k - 1].kind) || !(tok[k - 2].kind == kTokOpen || tok[k - 2].kind == kTokComma)) {
        return fail(TM_CE_BAD_ASSIGNMENT, k - 1, k);
    }
    mark_parameter(k - 1);
    return 0;
}

int OperatorPass::open(int32_t k) {
    if (depth >= g_work.token_capacity) return kGrowTokens;
    int32_t m = -1;
    if (tok[k - 1].kind == kTokUnaryMinus) {
        m = k - 1;
    } else if (is_function(tok[k - 1].kind) && tok[k - 2].kind == kTokUnaryMinus) {
        m = k - 2;
    }
    marked[depth] = m >= 0;
    minus_at[depth++] = m;
    return 0;
}

int OperatorPass::close(int32_t k) {
    --depth;
    if (marked[depth] && tok[k + 1].kind == kTokCaret) return fail(TM_CE_UNARY_MINUS_POWER, minus_at[depth], k + 1);
    return 0;
}

}  // namespace

int check_operators(CompileContext &cx) {
    OperatorPass p(cx);
    Token *tok = cx.tokens();
    // The wrapping brackets stay outside the loop, so every token in it has
    // neighbours on both sides (two to the left from the second one on).
    p.marked[0] = 0;
    p.minus_at[0] = -1;
    p.depth = 1;
    for (int32_t k = cx.body_first + 1; k < cx.body_last; ++k) {
        int r = 0;
        switch (tok[k].kind) {
        case kTokPlus:
        case kTokMinus: r = p.sign(k); break;
        case kTokNot: r = p.logical_not(k); break;
        case kTokInc:
        case kTokDec: r = p.increment(k); break;
        case kTokAssign: r = p.assignment(k); break;
        case kTokOpen: r = p.open(k); break;
        case kTokClose: r = p.close(k); break;
        default: break;
        }
        if (r) return r;
    }
    return 0;
}

}  // namespace tmx
