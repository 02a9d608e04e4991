// Names of the built-in instructions of the three types, in opcode order, and
// the tables the compiler reads; every fact comes from the lists in opcodes.h.
#include "opcodes.h"

namespace tmx {

namespace {

#define TM_BUILTIN_NAME(name, args, folds) u## #name,
const char16_t *const kRealNames[] = {TM_REAL_BUILTINS(TM_BUILTIN_NAME)};
const char16_t *const kIntNames[] = {TM_INT_BUILTINS(TM_BUILTIN_NAME)};
const char16_t *const kComplexNames[] = {TM_COMPLEX_BUILTINS(TM_BUILTIN_NAME)};
#undef TM_BUILTIN_NAME

#define TM_BUILTIN_ASCII(name, args, folds) #name,
const char *const kRealAscii[] = {TM_REAL_BUILTINS(TM_BUILTIN_ASCII)};
const char *const kIntAscii[] = {TM_INT_BUILTINS(TM_BUILTIN_ASCII)};
const char *const kComplexAscii[] = {TM_COMPLEX_BUILTINS(TM_BUILTIN_ASCII)};
#undef TM_BUILTIN_ASCII

constexpr int count_of(const auto &a) { return int(sizeof a / sizeof a[0]); }

constexpr BuiltinTable table(const char16_t *const *names, const BuiltinShape &s) {
    return {names, s.count, s.one_arg, uint8_t(s.fold_first), uint8_t(s.fold_last),
            s.highest()};
}

}  // namespace

const BuiltinTable kRealBuiltins = table(kRealNames, kRealShape);
const BuiltinTable kIntBuiltins = table(kIntNames, kIntShape);
const BuiltinTable kComplexBuiltins = table(kComplexNames, kComplexShape);

// The folding ranges the compiler has always used: sqrt..rtoi (real and
// complex), abs..ptoi (integer).
static_assert(kRealShape.one_arg == 22 && kRealShape.fold_first == 46 && kRealShape.fold_last == 63);
static_assert(kIntShape.one_arg == 10 && kIntShape.fold_first == 46 && kIntShape.fold_last == 51);
static_assert(kComplexShape.one_arg == 18 && kComplexShape.fold_first == 46 &&
              kComplexShape.fold_last == 59);

const char *opcode_name(int type, uint8_t op) {
    if (op < kFirstBuiltin) return kOpcodes[op].name;
    int k = op - kFirstBuiltin;
    switch (type) {
    case 1: return k < count_of(kIntAscii) ? kIntAscii[k] : "?";
    case 2: return k < count_of(kRealAscii) ? kRealAscii[k] : "?";
    case 3: return k < count_of(kComplexAscii) ? kComplexAscii[k] : "?";
    default: return "?";
    }
}

}  // namespace tmx
