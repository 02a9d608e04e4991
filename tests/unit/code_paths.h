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
        if (byte >= kFirstBuiltin) {
            if (byte == kFirstBuiltin || byte > builtins.highest) {
                ADD_FAILURE() << "no such instruction " << int(byte) << " at " << pc - 1;
                return deepest;
            }
            const bool one = byte - kFirstBuiltin < builtins.one_arg;
            need(one ? 1 : 2);
            next(0, one ? 0 : -1);
            continue;
        }
        // Shared instructions: everything comes from the opcode table.
        const OpcodeInfo &info = kOpcodes[byte];
        int32_t words = jump_words(info.layout).words;
        if (info.layout == Operands::Call) { // the write-back list
            while (code.at(size_t(pc)) != 0) ++pc, words += 2;
            ++pc;
        }
        if (size_t(w + words) > h.size()) {
            ADD_FAILURE() << "operands missing at " << pc - 1;
            return deepest;
        }
        const DepthChange d = depth_change(byte, h.data() + w, s.depth);
        need(d.need);
        EXPECT_LE(d.next + d.spare, room) << "no spare cell at " << pc - 1;
        int32_t konst = s.konst;
        if (info.layout == Operands::Constant) {
            EXPECT_LT(konst, h[kStackBase]);
            ++konst;
        }
        if (info.flow == Flow::Next || info.flow == Flow::Branch)
            go(pc, {konst, w + words, d.next});
        if (info.flow == Flow::Branch || info.flow == Flow::Jump) {
            const JumpOperands j = read_jump(info.layout, h.data() + w);
            EXPECT_LE(d.taken, d.most) << "jump leaves values it never pushed at " << pc - 1;
            go(j.code, {j.konst, j.word, d.taken});
        }
        if (byte == OpContinue) { // with a run error pending it runs the final OpReturn
            EXPECT_EQ(code.back(), OpReturn);
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
