// Translation of a compiled real formula into its fast form (see
// real_fast_code.h for the form, real_fast.h for why).
//
// Two passes over the byte code.  The first finds every jump target, so that
// no push is fused with an instruction another path jumps to.  The second
// emits the steps and follows the stack depth: it must be the same on every
// path into an instruction, and every jump's stream positions must be the
// positions the linear walk reaches at its target.  Any record that breaks
// these rules (the compiler never writes one) keeps running on the byte-code
// interpreter, which is the formula's definition either way.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "../address_table.h"
#include "../opcodes.h"
#include "../registry/registry.h"
#include "real_fast.h"
#include "real_fast_code.h"
#include "record_streams.h"

namespace tmx {

namespace {

// Binary instruction bytes of the byte code, in the order of TM_FAST_BINARY.
int binary_position(uint8_t byte) {
    switch (byte) {
    case OpAdd: return 0;
    case OpSub: return 1;
    case OpMul: return 2;
    case OpDiv: return 3;
    case OpPow: return 4;
    case OpGt: return 5;
    case OpGe: return 6;
    case OpLt: return 7;
    case OpLe: return 8;
    case OpEq: return 9;
    case OpNe: return 10;
    case OpAnd: return 11;
    case OpOr: return 12;
    default: break;
    }
    if (byte >= kFirstBuiltin + real_op::atan2_ && byte <= kFirstBuiltin + real_op::padd_)
        return 13 + (byte - (kFirstBuiltin + real_op::atan2_));
    return -1;
}

// One-operand instruction bytes, in the order of TM_FAST_UNARY; byte 45
// ("return", never emitted) runs as sqrt, like the interpreter.
int unary_position(uint8_t byte) {
    if (byte == OpNeg) return 0;
    if (byte == OpNot) return 1;
    if (byte >= kFirstBuiltin && byte <= kFirstBuiltin + real_op::rtoi_)
        return 2 + (byte == kFirstBuiltin ? 0 : byte - kRealSqrt);
    return -1;
}

// The jump operands of instruction Op, whose operand words start at w.
template <Opcode Op> JumpOperands jump_of(const int32_t *w) { return read_jump<layout_of(Op)>(w); }

// Position of the code operand among a jump instruction's operand words (the
// opcode table's layout), or -1 for instructions that do not jump.
int jump_code_word(uint8_t byte) { return jump_words(kOpcodes[byte].layout).code; }

// An operand of a push, store or increment, not emitted yet.
struct Operand {
    OperandForm form = kFormStack; // kFormStack: nothing pending
    int32_t index = 0;
    double k = 0;
    double *p = nullptr;
};

// Per code offset facts of the second pass.
struct Landing {
    int32_t op = -1;    // index of the first step at this offset
    int32_t depth = -1; // stack depth there (from a jump or the walk)
    int32_t word = -1;  // operand position a jump there names
    int32_t konst = -1; // constant position a jump there names
    bool target = false;
};

class Translator {
  public:
    Translator(const FormulaRecord *rec, FastOp *out, Landing *landings)
        : rec_(rec), h_(rec->header), data_(static_cast<double *>(rec->data)), out_(out),
          at_(landings) {}

    bool run() {
        return mark_targets() && emit_all() && resolve_jumps();
    }

    size_t count() const { return n_; }
    bool calls() const { return calls_; }
    int32_t max_depth() const { return max_depth_; }
    const FastOp *final_return() const { return out_ + final_return_; }

  private:
    // --- stream bounds -----------------------------------------------------------
    int32_t code_end() const { return h_[kCodeLength]; }
    bool words_left(int32_t op, int32_t n) const { return operand_words_left(h_, op, n); }
    bool skip_instruction(uint8_t byte, int32_t &ip, int32_t &op, int32_t &cp) const {
        return tmx::skip_instruction(rec_, byte, ip, op, cp);
    }

    // --- pass 1 ------------------------------------------------------------------
    bool mark_targets() {
        int32_t ip = h_[kCodeStart], op = kOperandStart, cp = h_[kVarCount];
        while (ip < code_end()) {
            const uint8_t byte = rec_->code[ip++];
            const int word = byte < kFirstBuiltin ? jump_code_word(byte) : -1;
            if (word >= 0) {
                if (!words_left(op, operand_words(byte))) return false;
                const int32_t to = h_[op + word];
                if (to < h_[kCodeStart] || to >= code_end()) return false;
                at_[to].target = true;
            }
            if (!skip_instruction(byte, ip, op, cp)) return false;
        }
        return true;
    }

    // --- pass 2 ------------------------------------------------------------------
    bool emit_all() {
        const uint8_t *code = rec_->code;
        int32_t ip = h_[kCodeStart], op = kOperandStart, cp = h_[kVarCount];
        bool reachable = true;
        while (ip < code_end()) {
            const int32_t here = ip;
            Landing &l = at_[here];
            if (l.target || !reachable) flush();
            if (l.depth >= 0) { // a jump lands here
                if (reachable && l.depth != depth_) return false;
                if (l.word != op || l.konst != cp) return false;
                depth_ = l.depth;
                reachable = true;
            }
            here_ = here;
            l.op = int32_t(n_);
            l.depth = reachable ? depth_ : -1;
            l.word = op;
            l.konst = cp;
            const uint8_t byte = code[ip++];
            if (!reachable) {
                // Never runs: only its stream positions matter, except that
                // the final OpReturn is where OpContinue goes on an error.
                if (ip == code_end() && byte == OpReturn) {
                    final_return_ = int32_t(n_);
                    emit(Return);
                }
                if (!skip_instruction(byte, ip, op, cp)) return false;
                continue;
            }
            if (ip == code_end() && byte == OpReturn) final_return_ = int32_t(n_);
            if (!step(byte, ip, op, cp, reachable)) return false;
            if (depth_ > max_depth_) max_depth_ = depth_;
        }
        flush();
        // The last byte is always OpReturn, reached or not: Continue needs it.
        return final_return_ >= 0 && max_depth_ <= h_[kDataLength] - h_[kStackBase];
    }

    // Emits one instruction; `reachable` becomes false after one that never
    // falls through.
    bool step(uint8_t byte, int32_t &ip, int32_t &op, int32_t &cp, bool &reachable) {
        const int32_t *h = h_;
        if (byte == OpPushConst) {
            if (cp >= h[kStackBase]) return false;
            return push_operand({kFormConst, 0, data_[cp++], nullptr});
        }
        if (byte == OpPushVar || byte == OpPushCommon) {
            if (!words_left(op, 1)) return false;
            return push_operand(operand(byte == OpPushCommon, h[op++]));
        }
        if (int b = binary_position(byte); b >= 0) {
            if (pending_.form != kFormStack) {
                if (depth_ < 1) return false;
                if (!fuse_pair(b))
                    emit_operand(uint16_t(int(AddS) + 5 * b + int(pending_.form)), pending_);
                pending_.form = kFormStack;
            } else {
                if (depth_ < 2) return false;
                if (!fuse_chain(b)) emit(uint16_t(AddS + 5 * b));
                --depth_;
            }
            return true;
        }
        flush();
        if (int u = unary_position(byte); u >= 0) {
            if (depth_ < 1) return false;
            emit(uint16_t(Neg + u));
            return true;
        }
        if (byte >= kFirstBuiltin) return string_access(byte, reachable);
        if (!words_left(op, operand_words(byte))) return false;
        const int32_t *w = h + op;
        op += operand_words(byte);
        switch (byte) {
        case OpReturn:
            if (depth_ < 1) return false; // an empty stack's result: the interpreter's
            emit(Return);
            reachable = false;
            return true;
        case OpStoreVar:
        case OpStoreCommon: {
            if (depth_ < 1) return false;
            Operand t = operand(byte == OpStoreCommon, w[0]);
            if (t.form == kFormStack) return false;
            emit_operand(uint16_t(int(StoreA) + int(t.form) - int(kFormArg)), t);
            return true;
        }
        case OpPreIncVar: case OpPreDecVar: case OpPostIncVar: case OpPostDecVar:
        case OpPreIncCommon: case OpPreDecCommon: case OpPostIncCommon: case OpPostDecCommon: {
            const auto [common, pre, inc] = step_kind(byte);
            Operand t = operand(common, w[0]);
            if (t.form == kFormStack) return false;
            // Variants come in {A, F, D} triples: Inc before Dec, Pre before Post.
            const int variant = 3 * ((pre ? 0 : 2) + (inc ? 0 : 1)) + (t.form - kFormArg);
            emit_operand(uint16_t(PreIncA + variant), t);
            ++depth_;
            return true;
        }
        case OpDropKeep:
        case OpWhichDefault: return drop(DropKeep, w[0], 1);
        case OpIfEnd: return drop(IfEnd, w[0], 1);
        case OpWhichNone: return drop(WhichNone, w[0], 1);
        case OpIfTest: return jump(IfTest, jump_of<OpIfTest>(w), depth_, 1) && fuse_test(0);
        case OpWhileTest:
            return jump(WhileTest, jump_of<OpWhileTest>(w), depth_, 1) && fuse_test(1);
        case OpWhichTest:
            if (!jump(WhichTest, jump_of<OpWhichTest>(w), depth_ + 1, 1)) return false;
            if (depth_ + 1 > max_depth_) max_depth_ = depth_ + 1;
            return fuse_test(2);
        case OpWhichEnd: {
            const JumpOperands j = jump_of<OpWhichEnd>(w);
            if (j.n < 0 || j.n >= depth_) return false;
            if (!jump(WhichEnd, j, depth_ - j.n, 1)) return false;
            out_[n_ - 1].index = j.n;
            reachable = false;
            return true;
        }
        case OpJump:
        case OpBreak:
        case OpContinue: {
            static_assert(layout_of(OpBreak) == layout_of(OpJump) &&
                          layout_of(OpContinue) == layout_of(OpJump));
            const JumpOperands j = jump_of<OpJump>(w);
            const int32_t slot = j.slot;
            // Break leaves a 0 on top of the stack the jump keeps.
            const int32_t depth = slot + 1;
            if (slot < -1 || depth - depth_ > 1 || depth_ - depth > INT16_MAX) return false;
            if (byte == OpContinue && depth_ < 1) return false; // may run the final OpReturn
            if (byte != OpBreak && depth > depth_) return false;
            const uint16_t kind = byte == OpJump ? Jump : byte == OpBreak ? Break : Continue;
            if (!jump(kind, j, depth, byte == OpBreak ? 1 : 0)) return false;
            out_[n_ - 1].aux = int16_t(depth - depth_);
            reachable = false;
            return true;
        }
        case OpUntilTest: {
            const JumpOperands j = jump_of<OpUntilTest>(w);
            const int32_t slot = j.slot;
            if (depth_ < 1 || slot < -1 || slot + 1 > depth_ || depth_ - (slot + 1) > INT16_MAX)
                return false;
            if (!jump(UntilTest, j, slot + 1, 0)) return false;
            FastOp &o = out_[n_ - 1];
            o.aux = int16_t(slot + 1 - depth_);
            o.index = slot + 2 - depth_; // falling out: 0 at slot+1
            depth_ = slot + 2;
            return true;
        }
        case OpCallInt:
        case OpCallReal:
        case OpCallComplex:
        case OpCallExternal: return call(byte, w[0], w[1], ip, op);
        default: // a byte of no instruction ends the activation with 0
            emit(ReturnZero);
            reachable = false;
            return true;
        }
    }

    Operand operand(bool common, int32_t word) const {
        if (common) return {kFormCell, 0, 0, static_cast<double *>(address_at(uint32_t(word)))};
        if (word < 0 || word >= h_[kVarCount]) return {kFormStack, -1, 0, nullptr};
        if (word <= h_[kLastParam]) return {kFormArg, word, 0, nullptr};
        if (word < h_[kFirstStatic]) return {kFormFrame, word, 0, nullptr};
        return {kFormCell, 0, 0, data_ + word};
    }

    bool push_operand(Operand p) {
        if (p.form == kFormStack) return false; // a variable index out of range
        const size_t before = n_;
        flush();
        // The push just flushed may fuse with what this operand feeds: no
        // jump lands between them (a landing flushes before this step).
        pair_left_ = n_ > before ? int32_t(before) : -1;
        pending_ = p;
        return true;
    }

    // Binary operation b (position in TM_FAST_BINARY) on the push step just
    // emitted and the pending operand: rewrites the push into a fused pair
    // when both are arguments or constants (not two constants) and b has a
    // pair form (TM_FAST_PAIR: the first eleven binary operations).
    bool fuse_pair(int b) {
        if (pair_left_ < 0 || size_t(pair_left_) + 1 != n_ || b > 10) return false;
        FastOp &left = out_[pair_left_];
        const OperandForm right = pending_.form;
        const uint16_t base = uint16_t(AddAA + 3 * b);
        if (left.code == PushA && right == kFormArg) {
            if (pending_.index > INT16_MAX) return false;
            left.code = base;
            left.aux = int16_t(pending_.index);
        } else if (left.code == PushA && right == kFormConst) {
            left.code = uint16_t(base + 1);
            left.k = pending_.k;
        } else if (left.code == PushK && right == kFormArg) {
            left.code = uint16_t(base + 2);
            left.index = pending_.index;
        } else {
            return false;
        }
        pair_left_ = -1;
        return true;
    }

    // Binary operation b (position in TM_FAST_BINARY) on the stack right after
    // a fused pair or a + - * / with a constant or argument: that step becomes
    // the chain "below b step", unless a jump lands on the operation (that
    // path brings a different top).
    bool fuse_chain(int b) {
        if (b > 3 || n_ < 1 || at_[here_].target) return false;
        FastOp &last = out_[n_ - 1];
        if (is_arithmetic_pair(last.code)) {
            last.code = uint16_t(AddSAddAA + 12 * b + (last.code - AddAA));
            return true;
        }
        const int inner = (int(last.code) - int(AddS)) / 5, form = (int(last.code) - int(AddS)) % 5;
        if (last.code < AddS || inner > 3 || (form != kFormConst && form != kFormArg)) return false;
        last.code = uint16_t(AddSAddK + 8 * b + 2 * inner + (form == kFormArg));
        return true;
    }

    // Emits the pending push as a push of its own.
    void flush() {
        if (pending_.form == kFormStack) return;
        emit_operand(uint16_t(int(PushK) + int(pending_.form) - int(kFormConst)), pending_);
        pending_.form = kFormStack;
        ++depth_;
        if (depth_ > max_depth_) max_depth_ = depth_;
    }

    // Drops n slots below (DropKeep, WhichNone) or with (IfEnd) the top;
    // `keep` slots must remain.
    bool drop(uint16_t kind, int32_t n, int32_t keep) {
        if (n < 0 || n > depth_ - keep) return false;
        emit(kind).index = n;
        depth_ -= n;
        return true;
    }

    // A jump to code offset j.code that names operand position j.word and
    // constant position j.konst, arriving with stack depth `depth`.
    bool jump(uint16_t kind, const JumpOperands &j, int32_t depth, int keep) {
        const int32_t to = j.code, konst = j.konst, word = j.word;
        if (to < h_[kCodeStart] || to >= code_end() || depth < keep) return false;
        Landing &l = at_[to];
        if (l.op >= 0) { // backward: the walk has been there
            if (l.depth != depth || l.word != word || l.konst != konst) return false;
        } else {
            if (l.depth >= 0 && (l.depth != depth || l.word != word || l.konst != konst))
                return false;
            l.depth = depth;
            l.word = word;
            l.konst = konst;
        }
        if (depth > max_depth_) max_depth_ = depth;
        emit(kind).code_offset = to;
        return true;
    }

    // A test (0 if, 1 while, 2 which) right after a comparison with a
    // constant becomes one step, unless a jump lands on the test itself.
    bool fuse_test(int test) {
        if (n_ < 2 || at_[here_].target) return true;
        FastOp &cmp = out_[n_ - 2];
        const int c = (int(cmp.code) - int(GtK)) / 5;
        if (cmp.code < GtK || cmp.code > NeK || (int(cmp.code) - int(GtK)) % 5 != 0) return true;
        cmp.code = uint16_t(int(IfGtK) + 3 * c + test);
        cmp.index = int32_t(out_[n_ - 1].code_offset); // the landing, resolved later
        --n_;
        return true;
    }

    // A call with argument count minus one `m`, then its write-back list.
    bool call(uint8_t byte, int32_t callee, int32_t m, int32_t &ip, int32_t &op) {
        if (m >= depth_ || m < -1) return false;
        static constexpr uint16_t kKinds[] = {CallInt, CallReal, CallComplex, CallExternal};
        FastOp &c = emit(kKinds[byte - OpCallInt]);
        c.index = m;
        if (byte == OpCallExternal)
            c.ext = address_at(uint32_t(callee));
        else
            c.callee = static_cast<FormulaRecord *>(address_at(uint32_t(callee)));
        const size_t call_at = n_ - 1;
        int entries = 0;
        for (;;) {
            if (ip >= code_end()) return false;
            const uint8_t tag = rec_->code[ip++];
            if (tag == 0) break;
            if (!words_left(op, 2) || ++entries > INT16_MAX) return false;
            const int32_t k = h_[op], target = h_[op + 1];
            op += 2;
            if (k < 0 || k > (m < 0 ? 0 : m)) return false;
            Operand t = operand(tag != 2, target);
            if (t.form == kFormStack) return false;
            FastOp &e = emit_operand(uint16_t(int(StoreA) + int(t.form) - int(kFormArg)), t);
            e.aux = int16_t(k);
        }
        out_[call_at].aux = int16_t(entries);
        depth_ = m < 0 ? depth_ + 1 : depth_ - m;
        calls_ = true;
        return true;
    }

    bool string_access(uint8_t byte, bool &reachable) {
        switch (byte - kFirstBuiltin) {
        case real_op::getc_: return depth_ >= 1 && (emit(Getc), true);
        case real_op::getw_: return depth_ >= 1 && (emit(Getw), true);
        case real_op::getn_: return depth_ >= 1 && (emit(Getn), true);
        case real_op::setc_: return set(Setc);
        case real_op::setw_: return set(Setw);
        case real_op::setn_: return set(Setn);
        default: // beyond the real built-ins: ends the activation with 0
            emit(ReturnZero);
            reachable = false;
            return true;
        }
    }
    bool set(uint16_t kind) {
        if (depth_ < 2) return false;
        emit(kind);
        --depth_;
        return true;
    }

    // Jump operands hold code offsets until every landing is known.
    bool resolve_jumps() {
        for (size_t i = 0; i < n_; ++i) {
            FastOp &o = out_[i];
            switch (o.code) {
            case Jump: case Break: case Continue: case UntilTest: case WhileTest:
            case IfTest: case WhichTest: case WhichEnd: {
                const int32_t to = at_[o.code_offset].op;
                if (to < 0 || size_t(to) >= n_) return false;
                o.target = out_ + to;
                break;
            }
            case CallInt: case CallReal: case CallComplex: case CallExternal:
                i += size_t(o.aux); // the write-back entries are no jumps
                break;
            default:
                if (o.code >= IfGtK && o.code < kFastOpcodeCount) {
                    const int32_t to = at_[o.index].op;
                    if (to < 0 || size_t(to) >= n_) return false;
                    o.index = to;
                }
                break;
            }
        }
        // Steps that only lower the stack under the top before a Return are
        // the Return itself (the end of every `which`).
        for (size_t i = 0; i < n_; ++i) {
            FastOp &o = out_[i];
            if ((o.code == WhichEnd && o.target->code == Return) ||
                (o.code == DropKeep && i + 1 < n_ && out_[i + 1].code == Return))
                o.code = Return;
        }
        return true;
    }

    FastOp &emit(uint16_t code) {
        FastOp &o = out_[n_++];
        o.code = code;
        o.aux = 0;
        o.index = 0;
        o.k = 0;
        return o;
    }

    FastOp &emit_operand(uint16_t code, const Operand &p) {
        FastOp &o = emit(code);
        o.index = p.index;
        if (p.form == kFormConst)
            o.k = p.k;
        else if (p.form == kFormCell)
            o.p = p.p;
        return o;
    }

    const FormulaRecord *rec_;
    const int32_t *h_;
    double *data_;
    FastOp *out_;
    Landing *at_;
    size_t n_ = 0;
    int32_t depth_ = 0;
    int32_t max_depth_ = 0;
    int32_t final_return_ = -1;
    int32_t here_ = 0; // code offset of the instruction being translated
    bool calls_ = false;
    Operand pending_;
    int32_t pair_left_ = -1; // step of a push that may start a fused pair
};

// TAMRIX_FAST_FORM=0 in the environment leaves every real formula on the
// byte-code interpreter: the script tests run once that way as well, so both
// forms answer to the same expectations.  Read at each InitTamrix, like the
// native tier's settings, so a host can compare the two in one process.
bool g_fast_form_enabled = true;

bool is_push(uint16_t c) { return c >= PushK && c <= PushD; }

// A push or a fused pair and a Return, or a push, one operation that takes its operand from
// a push form or none, and a Return (run_short_form's cases).
bool is_short_form(const FastOp *ops, size_t n) {
    if (n == 2)
        return (is_push(ops[0].code) || is_pair(ops[0].code)) &&
               ops[1].code == Return;
    if (n != 3 || !is_push(ops[0].code) || ops[2].code != Return) return false;
    const uint16_t c = ops[1].code;
    if (c >= Neg && c < AddAA) return true;
    return c >= AddS && c < Neg && (c - AddS) % 5 != kFormStack;
}

// Whether every step is one the straight-line runner has: pushes, stores,
// increments, drops, arithmetic and the returns.
bool all_straight(const FastOp *ops, const FastOp *end) {
    for (const FastOp *o = ops; o != end; ++o) {
        const uint16_t c = o->code;
        const bool straight = (c >= PushK && c <= ReturnZero) ||
                              (c >= AddS && c < IfGtK); // binary, unary and pairs
        if (!straight) return false;
    }
    return true;
}

}  // namespace

void fast_form_configure() {
    const char *v = std::getenv("TAMRIX_FAST_FORM");
    g_fast_form_enabled = !(v && v[0] == '0');
}

FastCode *build_real_fast_code(const FormulaRecord *rec) {
    const int32_t *h = rec->header;
    if (!g_fast_form_enabled || h[kCodeStart] < 0 || h[kCodeLength] - h[kCodeStart] < 1) return nullptr;
    const size_t code_length = size_t(h[kCodeLength]);
    const size_t stack_slots = size_t(h[kDataLength] - h[kStackBase]) + 1;
    // Every instruction and write-back tag byte gives at most one step.
    const size_t max_ops = code_length - size_t(h[kCodeStart]) + 1;
    auto *landings = static_cast<Landing *>(std::malloc(code_length * sizeof(Landing)));
    auto *fc = static_cast<FastCode *>(
        std::malloc(sizeof(FastCode) + max_ops * sizeof(FastOp) + stack_slots * sizeof(double)));
    if (!landings || !fc) {
        std::free(landings);
        std::free(fc);
        return nullptr;
    }
    for (size_t i = 0; i < code_length; ++i) landings[i] = Landing{};
    Translator t(rec, fc->ops, landings);
    const bool ok = t.run();
    std::free(landings);
    if (!ok) {
        std::free(fc);
        return nullptr;
    }
    fc->calls_nothing = !t.calls();
    fc->straight = fc->calls_nothing && all_straight(fc->ops, fc->ops + t.count());
    fc->leaf = fc->straight && std::none_of(fc->ops, fc->ops + t.count(),
                                            [](const FastOp &o) { return may_call(o.code); });
    fc->short_form = fc->straight && is_short_form(fc->ops, t.count());
    choose_host_runner(fc);
    fc->var_count = h[kVarCount];
    fc->last_param = h[kLastParam];
    fc->frame_slots = h[kVarCount] + (h[kDataLength] - h[kStackBase]) + 1;
    fc->stack = reinterpret_cast<double *>(fc->ops + max_ops);
    fc->final_return = t.final_return();
    return fc;
}

void free_fast_code(FastCode *code) { std::free(code); }

}  // namespace tmx
