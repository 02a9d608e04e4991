// Jumps and loops in native code: if, which, while, until, continue, break.
//
// A jump becomes a branch to the label of its target.  Every path into a
// target brings the same stack depth and names the stream positions the walk
// reaches there (else the formula stays interpreted), and hands its values
// over in the registers kept for each depth.  Loops poll the run-error record
// exactly where the interpreter does (while and until tests, continue), so an
// error recorded by another thread (an interrupt) ends a compiled loop.
#if TAMRIX_HAVE_JIT

#include "real_codegen.h"

#include "../opcodes.h"
#include "../run_error.h"
#include "native_calls.h"

namespace tmx {

using namespace asmjit;

// At code offset `here`: binds the label of a jump target, with the stack in
// the registers of its depth.
bool RealCodegen::arrive(int32_t here, int32_t op, int32_t cp, bool &reachable) {
    Landing &l = at_[size_t(here)];
    if (!l.target) return true;
    if (compare_pending_) settle_compare();
    materialize_all(); // paths meet in registers
    if (reachable) {
        const int32_t depth = int32_t(stack_.size());
        if (l.depth >= 0 && l.depth != depth) return false;
        l.depth = depth;
        sync(stack_.size());
    } else if (l.depth >= 0) {
        reachable = true; // only jumps come here
    }
    if (l.depth >= 0) {
        if (l.word >= 0 && (l.word != op || l.konst != cp)) return false;
        l.word = op;
        l.konst = cp;
        stack_.clear();
        for (int32_t d = 0; d < l.depth; ++d) push(canonical(size_t(d)));
    }
    if (!l.label.isValid()) l.label = cc_.newLabel();
    cc_.bind(l.label);
    l.walked = true;
    return true;
}

// The register of stack depth d at joins.
x86::Xmm RealCodegen::canonical(size_t d) {
    while (slots_.size() <= d) slots_.push_back(cc_.newXmmSd());
    return slots_[d];
}

// Moves the lowest `depth` stack entries into their registers.  An entry
// only ever moves down the stack, so the register of a depth never holds a
// value still needed above it, and the moves run from the bottom up.
void RealCodegen::sync(size_t depth) {
    for (size_t d = 0; d < depth; ++d) {
        x86::Xmm r = canonical(d);
        if (stack_[d].id() == r.id()) continue;
        cc_.movapd(r, stack_[d]);
        stack_[d] = r;
    }
}

// A jump to code offset `to` arriving with stack depth `depth` (the lowest
// entries, already in their registers) and naming operand position `word`
// and constant position `konst`.
bool RealCodegen::jump_to(int32_t to, int32_t depth, int32_t word, int32_t konst) {
    if (to < h_[kCodeStart] || to >= h_[kCodeLength] || depth < 0) return false;
    Landing &l = at_[size_t(to)];
    if (l.walked) { // backward: the walk has bound it
        if (l.depth != depth || l.word != word || l.konst != konst) return false;
    } else {
        if (l.depth >= 0 && (l.depth != depth || l.word != word || l.konst != konst))
            return false;
        l.depth = depth;
        l.word = word;
        l.konst = konst;
    }
    if (!l.label.isValid()) l.label = cc_.newLabel();
    cc_.jmp(l.label);
    return true;
}

// Jumps to `to` when t is zero (either sign); a NaN is a true value.
void RealCodegen::branch_if_zero(x86::Xmm t, const Label &to) {
    Label nonzero = cc_.newLabel();
    cc_.ucomisd(t, zero());
    cc_.jp(nonzero);
    cc_.je(to);
    cc_.bind(nonzero);
}

// The interpreter's poll: an atomic load of the record's type.
void RealCodegen::branch_if_error_pending(const Label &to) {
    cc_.cmp(x86::dword_ptr(address(&g_run_error.type)), 0);
    cc_.jne(to);
}

// slot[top-n] = top; pop n.
bool RealCodegen::drop_keep(int32_t n) {
    if (n < 0 || size_t(n) >= stack_.size()) return false;
    stack_[stack_.size() - 1 - size_t(n)] = stack_.back();
    stack_.resize(stack_.size() - size_t(n));
    return true;
}

// The instructions that move the stack by a count or jump; `w` points at
// their operand words.
bool RealCodegen::flow(uint8_t byte, const int32_t *w, bool &reachable) {
    const JumpOperands j = read_jump(kOpcodes[byte].layout, w);
    const int32_t depth = int32_t(stack_.size());
    if (compare_pending_) return test_compare(byte, j.code, j.word, j.konst);
    switch (byte) {
    case OpDropKeep:
    case OpWhichDefault: return drop_keep(j.n);
    case OpIfEnd: // pop n; top = 0
        if (j.n < 0 || j.n >= depth) return false;
        stack_.resize(size_t(depth - j.n));
        stack_.back() = zero();
        return true;
    case OpWhichNone: { // recorded only when no error is pending
        if (j.n < 0 || j.n >= depth) return false;
        InvokeNode *call = nullptr;
        if (cc_.invoke(&call, reinterpret_cast<uint64_t>(&native_calls::which_none),
                       FuncSignatureT<void, void *>(CallConvId::kHost)) != kErrorOk)
            return false;
        call->setArg(0, imm(reinterpret_cast<uint64_t>(rec_)));
        stack_.resize(size_t(depth - j.n));
        return true;
    }
    case OpIfTest: { // top == 0: top = +0, jump
        if (depth < 1) return false;
        sync(stack_.size());
        Label go_on = cc_.newLabel(), taken = cc_.newLabel();
        branch_if_zero(stack_.back(), taken);
        cc_.jmp(go_on);
        cc_.bind(taken);
        cc_.xorpd(stack_.back(), stack_.back());
        if (!jump_to(j.code, depth, j.word, j.konst)) return false;
        cc_.bind(go_on);
        return true;
    }
    case OpWhileTest: { // top == 0 or an error pending: jump
        if (depth < 1) return false;
        sync(stack_.size());
        Label taken = cc_.newLabel(), go_on = cc_.newLabel();
        branch_if_zero(stack_.back(), taken);
        branch_if_error_pending(taken);
        cc_.jmp(go_on);
        cc_.bind(taken);
        if (!jump_to(j.code, depth, j.word, j.konst)) return false;
        cc_.bind(go_on);
        return true;
    }
    case OpWhichTest: { // top == 0: push a slot for the skipped branch, jump
        if (depth < 1) return false;
        sync(stack_.size());
        Label go_on = cc_.newLabel(), taken = cc_.newLabel();
        branch_if_zero(stack_.back(), taken);
        cc_.jmp(go_on);
        cc_.bind(taken);
        // The skipped branch's slot holds the zero just tested, as in the
        // fast form; nothing the compiler writes reads it.
        cc_.movapd(canonical(size_t(depth)), stack_.back());
        if (!jump_to(j.code, depth + 1, j.word, j.konst)) return false;
        cc_.bind(go_on);
        return true;
    }
    case OpWhichEnd: // slot[top-n] = top; pop n; jump
        if (!drop_keep(j.n)) return false;
        sync(stack_.size());
        reachable = false;
        return jump_to(j.code, int32_t(stack_.size()), j.word, j.konst);
    case OpJump:
    case OpBreak:
    case OpContinue: {
        // The stack is cut to slot+1 entries; Break then sets the top to 0
        // (which may rise one above the depth before it).
        const int32_t to_depth = j.slot + 1;
        if (j.slot < -1 || to_depth > depth + (byte == OpBreak ? 1 : 0)) return false;
        if (byte == OpBreak && to_depth < 1) return false; // would write below the stack
        if (byte == OpContinue) {
            // An error pending ends the activation with the top as it is
            // (the record's final OpReturn).
            if (depth < 1) return false;
            Label go_on = cc_.newLabel(), stop = cc_.newLabel();
            branch_if_error_pending(stop);
            cc_.jmp(go_on);
            cc_.bind(stop);
            emit_return(stack_.back());
            cc_.bind(go_on);
        }
        if (byte == OpBreak) {
            stack_.resize(size_t(j.slot));
            push(zero());
        } else {
            stack_.resize(size_t(to_depth));
        }
        sync(stack_.size());
        reachable = false;
        return jump_to(j.code, to_depth, j.word, j.konst);
    }
    case OpUntilTest: {
        // top == 0 and no error: cut to slot+1 entries, jump; else cut to
        // slot+1 and push 0.
        const int32_t keep = j.slot + 1;
        if (depth < 1 || j.slot < -1 || keep > depth) return false;
        const x86::Xmm top = stack_.back();
        std::vector<x86::Xmm> kept(stack_.begin(), stack_.begin() + keep);
        stack_ = kept;
        sync(stack_.size());
        Label out = cc_.newLabel(), taken = cc_.newLabel();
        branch_if_zero(top, taken);
        cc_.jmp(out);
        cc_.bind(taken);
        branch_if_error_pending(out);
        if (!jump_to(j.code, keep, j.word, j.konst)) return false;
        cc_.bind(out);
        push(zero());
        return true;
    }
    default:
        return false;
    }
}

// An if, which or while test of the comparison just translated: one branch
// on its flags, and the 0 or 1 the test leaves on the stack written on each
// path (1 going on; 0 where it jumps, as the tests make it; a while test
// that jumps because an error is pending keeps the 1).
bool RealCodegen::test_compare(uint8_t byte, int32_t to, int32_t word, int32_t konst) {
    const int32_t depth = int32_t(stack_.size());
    if (depth < 1) return false;
    stack_.pop_back(); // the comparison's register, not written
    sync(stack_.size());
    const x86::Xmm top = canonical(size_t(depth - 1));
    const Label is_false = cc_.newLabel(), jump = cc_.newLabel(), go_on = cc_.newLabel();
    jump_if_false(is_false);
    cc_.movsd(top, constant(1.0));
    if (byte == OpWhileTest) branch_if_error_pending(jump);
    cc_.jmp(go_on);
    cc_.bind(is_false);
    cc_.xorpd(top, top);
    cc_.bind(jump);
    if (byte == OpWhichTest) {
        // The skipped branch's slot holds the zero too, as in flow().
        cc_.movapd(canonical(size_t(depth)), top);
        if (!jump_to(to, depth + 1, word, konst)) return false;
    } else {
        if (!jump_to(to, depth, word, konst)) return false;
    }
    cc_.bind(go_on);
    push(top);
    return true;
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
