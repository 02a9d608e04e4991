// Token kinds of the compiler's token list.  The lexer produces the kinds up
// to kString; classification and the unary pass rewrite identifiers and
// operators into the kinds that code generation consumes.
#pragma once

#include <cstdint>

namespace tmx {

enum TokenKind : uint16_t {
    kTokDeleted = 0,    // removed by a pass; skipped by all later passes

    // value: constant (Token::constant holds it)
    kTokConstant = 1,   // number literal; after classification also string
                        // literals and named constants
    // identifiers before classification; after it, a local variable
    kTokIdent = 2,      // value after classification: variable index
    kTokLocal = 2,
    kTokShared = 3,     // value: cell index
    kTokLocalRef = 4,   // &local, value: variable index
    kTokSharedRef = 5,  // &shared, value: cell index
    kTokBuiltin = 6,    // value: opcode 45..
    kTokCallInt = 7,    // value: callee index
    kTokCallReal = 8,
    kTokCallComplex = 9,
    kTokCallExternal = 10, // value: ExternalFunction index
    kTokIf = 11,
    kTokWhile = 12,
    kTokUntil = 13,
    kTokWhich = 14,
    kTokBreak = 15,
    kTokContinue = 16,

    kTokGe = 17,        // >=
    kTokLe = 18,        // <=
    kTokEq = 19,        // ==
    kTokNe = 20,        // !=

    // Kinds the unary pass gives to operators (code generation reads these).
    kTokUnaryPlus = 21,
    kTokUnaryMinus = 22,
    kTokPreInc = 23,
    kTokPreDec = 24,
    kTokPostInc = 25,
    kTokPostDec = 26,

    kTokScope = 31,     // "::"
    kTokMember = 46,    // member operator "."
    kTokString = 65,    // string literal; value: character index in the string area
    kTokInc = 66,       // "++" before the unary pass
    kTokDec = 67,       // "--" before the unary pass

    // Single characters are their own kind.
    kTokNot = u'!',
    kTokPercent = u'%',
    kTokAnd = u'&',
    kTokOpen = u'(',
    kTokClose = u')',
    kTokMul = u'*',
    kTokPlus = u'+',
    kTokComma = u',',
    kTokMinus = u'-',
    kTokDiv = u'/',
    kTokColon = u':',
    kTokLt = u'<',
    kTokAssign = u'=',
    kTokGt = u'>',
    kTokOpenSquare = u'[',
    kTokCloseSquare = u']',
    kTokCaret = u'^',
    kTokOpenCurly = u'{',
    kTokOr = u'|',
    kTokCloseCurly = u'}',
};

}  // namespace tmx
