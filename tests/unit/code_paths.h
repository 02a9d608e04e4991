// A walk over every path of a compiled record: each code position must
// be reached in one consistent state (constant position, operand position,
// stack depth), no instruction may pop more than the stack holds, and the
// stack (with the spare cell of increments) must stay inside DataLength.  It
// proves what the evaluator trusts: that the compiler's jump operands and
// stack size fit together on every path, not just the ones a test runs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "kernel/opcodes.h"
#include "kernel/record.h"

namespace tmx::test {

struct PathState {
    int32_t konst, word, depth;
    bool operator==(const PathState &) const = default;
};

// Follows every branch of a compiled record and checks that each code
// position is reached in one consistent state (constant and operand position,
// stack depth), that no instruction pops more than the stack holds, and that
// the stack never grows past DataLength.  Returns the largest depth.
// `builtins` is the table of the record's type (which built-ins pop two).
inline int32_t walk_all_paths(const std::vector<uint8_t> &code, const std::vector<int32_t> &h,
                              const BuiltinTable &builtins = kRealBuiltins) {
    const int32_t room = h[kDataLength] - h[kStackBase];
    std::map<int32_t, PathState> seen;
    std::vector<std::pair<int32_t, PathState>> work = {
        {h[kCodeStart], {h[kVarCount], kOperandStart, 0}}};
    int32_t deepest = 0;
    auto go = [&](int32_t pc, PathState s) {
        EXPECT_GE(s.depth, 0) << "at " << pc;
        EXPECT_LE(s.depth, room) << "at " << pc;
        deepest = std::max(deepest, s.depth);
        auto it = seen.find(pc);
        if (it != seen.end()) {
            EXPECT_EQ(it->second, s) << "two states reach code position " << pc;
            return;
        }
        seen[pc] = s;
        work.push_back({pc, s});
    };
    auto word = [&](int32_t i) { return h.at(size_t(i)); };
    while (!work.empty()) {
        auto [pc, s] = work.back();
        work.pop_back();
        if (::testing::Test::HasFailure()) return deepest;
        const uint8_t byte = code.at(size_t(pc++));
        const int32_t w = s.word;
        auto need = [&](int32_t n) { EXPECT_GE(s.depth, n) << "pop below the stack at " << pc - 1; };
        auto next = [&](int words, int32_t delta) {
            go(pc, {s.konst, w + words, s.depth + delta});
        };
        switch (byte) {
        case OpReturn: need(1); break;
        case OpPushConst:
            EXPECT_LT(s.konst, h[kStackBase]);
            go(pc, {s.konst + 1, w, s.depth + 1});
            break;
        case OpPushVar: case OpPushCommon: next(1, 1); break;
        case OpPreIncVar: case OpPreDecVar: case OpPreIncCommon: case OpPreDecCommon:
        case OpPostIncVar: case OpPostDecVar: case OpPostIncCommon: case OpPostDecCommon:
            EXPECT_LE(s.depth + 2, room) << "no spare cell at " << pc - 1;
            next(1, 1);
            break;
        case OpAdd: case OpSub: case OpMul: case OpDiv: case OpPow: case OpGt: case OpGe:
        case OpLt: case OpLe: case OpEq: case OpNe: case OpAnd: case OpOr:
            need(2);
            next(0, -1);
            break;
        case OpStoreVar: case OpStoreCommon: need(1); next(1, 0); break;
        case OpNot: case OpNeg: need(1); next(0, 0); break;
        case OpCallInt: case OpCallReal: case OpCallComplex: case OpCallExternal: {
            int32_t m = word(w + 1);
            if (m < 0) {
                s.depth += 1;
            } else {
                need(m + 1);
                s.depth -= m;
            }
            int32_t words = 2;
            while (code.at(size_t(pc)) != 0) ++pc, words += 2;
            ++pc;
            next(words, 0);
            break;
        }
        case OpDropKeep: case OpIfEnd: case OpWhichNone: case OpWhichDefault:
            need(word(w) + 1);
            next(1, -word(w));
            break;
        case OpIfTest: case OpWhileTest:
            need(1);
            next(3, 0);
            go(word(w), {word(w + 1), word(w + 2), s.depth});
            break;
        case OpWhichTest:
            need(1);
            next(3, 0);
            go(word(w), {word(w + 1), word(w + 2), s.depth + 1});
            break;
        case OpWhichEnd:
            need(word(w + 2) + 1);
            go(word(w), {word(w + 1), word(w + 3), s.depth - word(w + 2)});
            break;
        case OpJump: case OpBreak:
            EXPECT_LE(word(w + 2) + 1, s.depth + (byte == OpBreak ? 1 : 0));
            go(word(w), {word(w + 1), word(w + 3), word(w + 2) + 1});
            break;
        case OpContinue: // with a run error pending it runs the final OpReturn
            EXPECT_EQ(code.back(), OpReturn);
            go(word(w), {word(w + 1), word(w + 3), word(w + 2) + 1});
            break;
        case OpUntilTest:
            need(1);
            go(word(w + 1), {word(w + 2), word(w + 3), word(w) + 1});
            go(pc, {s.konst, w + 4, word(w) + 2});
            break;
        default: {
            if (byte <= kFirstBuiltin) {
                ADD_FAILURE() << "no such instruction " << int(byte) << " at " << pc - 1;
                return deepest;
            }
            if (byte > builtins.highest) {
                ADD_FAILURE() << "no such built-in " << int(byte) << " at " << pc - 1;
                return deepest;
            }
            bool one = byte - kFirstBuiltin < builtins.one_arg;
            need(one ? 1 : 2);
            next(0, one ? 0 : -1);
            break;
        }
        }
    }
    return deepest;
}


inline int32_t walk_all_paths(const FormulaRecord *r,
                              const BuiltinTable &builtins = kRealBuiltins) {
    const int32_t *h = r->header;
    return walk_all_paths(std::vector<uint8_t>(r->code, r->code + h[kCodeLength]),
                          std::vector<int32_t>(h, h + h[kHeaderLength]), builtins);
}

}  // namespace tmx::test
