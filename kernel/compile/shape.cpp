// Shape check: which token class may follow which.
//
//                 may be followed by
//   operand       binary, postfix, ")", ","      (operand or call: 7; "(": 23)
//   function      "("
//   binary        operand, function, unary, "("
//   unary         operand, function, "("
//   postfix       ")", ","
//   "(" and ","   operand, function, unary, "("  ("(" ")" after a function)
//   ")"           binary, postfix, ")", ","
//
// Any other pair is error 23; a "()" that does not belong to a function is
// error 20; two operands side by side and tokens that have no place in an
// expression at all ("::" that is not part of a name) are error 7.
#include "parse_tokens.h"

namespace tmx {

namespace {

enum Shape { kOperand, kFunction, kBinary, kUnary, kPostfix, kOpenShape, kCloseShape, kCommaShape, kStray };

Shape shape_of(uint16_t kind) {
    switch (kind) {
    case kTokConstant:
    case kTokLocal:
    case kTokShared:
    case kTokLocalRef:
    case kTokSharedRef: return kOperand;
    case kTokBuiltin:
    case kTokCallInt:
    case kTokCallReal:
    case kTokCallComplex:
    case kTokCallExternal:
    case kTokIf:
    case kTokWhile:
    case kTokUntil:
    case kTokWhich:
    case kTokBreak:
    case kTokContinue: return kFunction;
    case kTokPlus:
    case kTokMinus:
    case kTokMul:
    case kTokDiv:
    case kTokCaret:
    case kTokPercent:
    case kTokGt:
    case kTokGe:
    case kTokLt:
    case kTokLe:
    case kTokEq:
    case kTokNe:
    case kTokAnd:
    case kTokOr:
    case kTokAssign: return kBinary;
    case kTokUnaryPlus:
    case kTokUnaryMinus:
    case kTokNot:
    case kTokPreInc:
    case kTokPreDec: return kUnary;
    case kTokPostInc:
    case kTokPostDec: return kPostfix;
    case kTokOpen: return kOpenShape;
    case kTokClose: return kCloseShape;
    case kTokComma: return kCommaShape;
    default: return kStray;
    }
}

bool starts_value(Shape s) { return s == kOperand || s == kFunction || s == kUnary || s == kOpenShape; }
bool ends_value_follower(Shape s) {
    return s == kBinary || s == kPostfix || s == kCloseShape || s == kCommaShape;
}

// 0 when `b` may follow `a`, else the error code.
TmCompileResult pair_error(Shape a, Shape b, bool open_after_function) {
    switch (a) {
    case kOperand:
        if (b == kOperand || b == kFunction) return TM_CE_BAD_CHARACTER;
        return ends_value_follower(b) ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    case kFunction: return b == kOpenShape ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    case kBinary:
    case kUnary: return starts_value(b) && !(a == kUnary && b == kUnary) ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    case kPostfix: return b == kCloseShape || b == kCommaShape ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    case kOpenShape:
        if (b == kCloseShape) return open_after_function ? TM_CE_OK : TM_CE_EMPTY_BRACKETS;
        return starts_value(b) ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    case kCommaShape: return starts_value(b) ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    case kCloseShape: return ends_value_follower(b) ? TM_CE_OK : TM_CE_BAD_OPERATORS;
    default: return TM_CE_BAD_CHARACTER;
    }
}

}  // namespace

int check_shape(CompileContext &cx) {
    const Token *tok = cx.tokens();
    for (int32_t k = cx.body_first; k < cx.body_last; ++k) {
        const Token &a = tok[k], &b = tok[k + 1];
        Shape sb = shape_of(b.kind);
        if (sb == kStray) return cx.fail(TM_CE_BAD_CHARACTER, b.first, b.last);
        bool after_function = k > cx.body_first && shape_of(tok[k - 1].kind) == kFunction;
        TmCompileResult err = pair_error(shape_of(a.kind), sb, after_function);
        if (err == TM_CE_BAD_CHARACTER) return cx.fail(TM_CE_BAD_CHARACTER, b.first, b.last);
        if (err) return cx.fail(err, a.first, b.last);
    }
    return 0;
}

}  // namespace tmx
