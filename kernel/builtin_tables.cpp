// Names of the built-in instructions of the three types, in opcode order.
#include "opcodes.h"

namespace tmx {

namespace {

#define TM_BUILTIN_NAME(name) u## #name,
const char16_t *const kRealNames[] = {TM_REAL_BUILTINS(TM_BUILTIN_NAME)};
const char16_t *const kIntNames[] = {TM_INT_BUILTINS(TM_BUILTIN_NAME)};
const char16_t *const kComplexNames[] = {TM_COMPLEX_BUILTINS(TM_BUILTIN_NAME)};
#undef TM_BUILTIN_NAME

#define TM_BUILTIN_ASCII(name) #name,
const char *const kRealAscii[] = {TM_REAL_BUILTINS(TM_BUILTIN_ASCII)};
const char *const kIntAscii[] = {TM_INT_BUILTINS(TM_BUILTIN_ASCII)};
const char *const kComplexAscii[] = {TM_COMPLEX_BUILTINS(TM_BUILTIN_ASCII)};
#undef TM_BUILTIN_ASCII

constexpr int count_of(const auto &a) { return int(sizeof a / sizeof a[0]); }

}  // namespace

// real: "return".."getn" take one argument, "atan2".."setn" two; sqrt..rtoi fold.
const BuiltinTable kRealBuiltins = {kRealNames, count_of(kRealNames), 22, 46, 63, 74};
// integer: "return".."getn" one argument; abs..ptoi fold.
const BuiltinTable kIntBuiltins = {kIntNames, count_of(kIntNames), 10, 46, 51, 63};
// complex: "return".."getn" one argument; sqrt..rtoi fold.
const BuiltinTable kComplexBuiltins = {kComplexNames, count_of(kComplexNames), 18, 46, 59, 65};

static_assert(sizeof kRealNames / sizeof kRealNames[0] == 30);
static_assert(sizeof kIntNames / sizeof kIntNames[0] == 19);
static_assert(sizeof kComplexNames / sizeof kComplexNames[0] == 21);

const char *opcode_name(int type, uint8_t op) {
    if (op < kFirstBuiltin) return kOpcodeNames[op];
    int k = op - kFirstBuiltin;
    switch (type) {
    case 1: return k < count_of(kIntAscii) ? kIntAscii[k] : "?";
    case 2: return k < count_of(kRealAscii) ? kRealAscii[k] : "?";
    case 3: return k < count_of(kComplexAscii) ? kComplexAscii[k] : "?";
    default: return "?";
    }
}

}  // namespace tmx
