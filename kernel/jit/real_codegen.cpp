// Translation of straight-line real byte code into x86-64 code.
//
// The evaluation stack exists only at translation time: each stack entry is
// a virtual register of asmjit's compiler, which allocates the machine
// registers and spills around library calls.  Every value is computed by the
// same scalar SSE2 instruction the interpreter's compiled C++ uses (addsd,
// mulsd, ...), in byte-code order, and never fused into a multiply-add;
// everything else calls the interpreter's own library functions.  Variables
// and shared cells are read and written in memory at the point the byte code
// does, so stores, increments and aliasing behave exactly as interpreted.
#if TAMRIX_HAVE_JIT

#include <asmjit/x86.h>

#include <bit>
#include <cstdint>
#include <new>
#include <vector>

#include "../address_table.h"
#include "../opcodes.h"
#include "native.h"
#include "native_runtime.h"
#include "real_library.h"

namespace tmx {

namespace {

using namespace asmjit;

// Longer formulas stay interpreted: translation time and register
// allocation grow with length, and such formulas are rare in hot loops.
constexpr int32_t kMaxInstructionBytes = 4096;
// Variables are addressed with a 32-bit displacement of 8 bytes per slot.
constexpr int32_t kMaxDataSlots = int32_t(1) << 27;

// cmpsd predicates.
enum Predicate : uint8_t { kCmpEq = 0, kCmpLt = 1, kCmpLe = 2, kCmpNeq = 4 };

// Remembers the first error asmjit reports while the code is built.
class FailFlag : public ErrorHandler {
  public:
    void handleError(Error err, const char *, BaseEmitter *) override {
        if (!error) error = err;
    }
    Error error = kErrorOk;
};

class RealCodegen {
  public:
    RealCodegen(const FormulaRecord *rec, x86::Compiler &cc)
        : rec_(rec), h_(rec->header), data_(static_cast<double *>(rec->data)), cc_(cc) {}

    // False when the formula is not one the tier takes.
    bool run() {
        FuncNode *func = cc_.addFunc(FuncSignatureT<double, double *>(CallConvId::kHost));
        if (!func) return false;
        args_ = cc_.newIntPtr("args");
        func->setArg(0, args_);

        const uint8_t *ip = rec_->code + h_[kCodeStart];
        const uint8_t *end = rec_->code + h_[kCodeLength];
        const int32_t *op = h_ + kOperandStart;
        const int32_t *op_end = h_ + h_[kHeaderLength];
        const double *cp = data_ + h_[kVarCount];
        const double *cp_end = data_ + h_[kDataLength];
        while (ip < end) {
            const uint8_t byte = *ip++;
            if (takes_word(byte) && op >= op_end) return false;
            switch (byte) {
            case OpReturn:
                if (stack_.empty()) return false;
                cc_.ret(stack_.back());
                cc_.endFunc();
                return true;
            case OpPushConst:
                if (cp >= cp_end) return false;
                push(load(constant(*cp++)));
                break;
            case OpPushVar:
            case OpPushCommon: {
                x86::Mem m;
                if (!place(byte == OpPushCommon, *op++, m)) return false;
                push(load(m));
                break;
            }
            case OpStoreVar:
            case OpStoreCommon: {
                x86::Mem m;
                if (stack_.empty() || !place(byte == OpStoreCommon, *op++, m)) return false;
                cc_.movsd(m, stack_.back());
                break;
            }
            case OpDropKeep: {
                const int32_t n = *op++;
                if (n < 0 || size_t(n) >= stack_.size()) return false;
                stack_[stack_.size() - 1 - size_t(n)] = stack_.back();
                stack_.resize(stack_.size() - size_t(n));
                break;
            }
            case OpPreIncVar: case OpPreDecVar: case OpPreIncCommon: case OpPreDecCommon:
            case OpPostIncVar: case OpPostDecVar: case OpPostIncCommon: case OpPostDecCommon:
                if (!step(byte, *op++)) return false;
                break;
            default:
                if (!operation(byte)) return false;
                break;
            }
        }
        return false; // no OpReturn: not a record the compiler makes
    }

  private:
    // The instructions taken here that read an operand word (one each).
    static bool takes_word(uint8_t byte) {
        switch (byte) {
        case OpPushVar: case OpPushCommon: case OpStoreVar: case OpStoreCommon:
        case OpDropKeep:
        case OpPreIncVar: case OpPreDecVar: case OpPreIncCommon: case OpPreDecCommon:
        case OpPostIncVar: case OpPostDecVar: case OpPostIncCommon: case OpPostDecCommon:
            return true;
        default:
            return false;
        }
    }

    // --- the translation-time stack ---------------------------------------------

    void push(x86::Xmm v) { stack_.push_back(v); }
    x86::Xmm pop() {
        x86::Xmm v = stack_.back();
        stack_.pop_back();
        return v;
    }

    x86::Xmm load(const x86::Mem &m) {
        x86::Xmm v = cc_.newXmmSd();
        cc_.movsd(v, m);
        return v;
    }
    x86::Xmm copy(x86::Xmm from) {
        x86::Xmm v = cc_.newXmmSd();
        cc_.movapd(v, from);
        return v;
    }

    // --- operands ---------------------------------------------------------------

    x86::Mem constant(double k) { return cc_.newDoubleConst(ConstPoolScope::kLocal, k); }
    x86::Mem mask(uint64_t bits) {
        const uint64_t both[2] = {bits, bits};
        return cc_.newConst(ConstPoolScope::kLocal, both, sizeof both);
    }
    x86::Mem one128() { return mask(std::bit_cast<uint64_t>(1.0)); }

    // Where variable v or shared cell `word` lives (first activation: the
    // frame is the data array).  False for a word that names nothing.
    bool place(bool common, int32_t word, x86::Mem &m) {
        if (common) {
            void *cell = address_at(uint32_t(word));
            if (!cell) return false;
            x86::Gp p = cc_.newIntPtr();
            cc_.mov(p, imm(reinterpret_cast<uint64_t>(cell)));
            m = x86::qword_ptr(p);
            return true;
        }
        if (word < 0 || word >= h_[kDataLength]) return false;
        if (word <= h_[kLastParam]) {
            m = x86::qword_ptr(args_, word * 8);
            return true;
        }
        if (!data_base_.isValid()) {
            data_base_ = cc_.newIntPtr("data");
            cc_.mov(data_base_, imm(reinterpret_cast<uint64_t>(data_)));
        }
        m = x86::qword_ptr(data_base_, word * 8);
        return true;
    }

    // Increments and decrements of a variable or cell.
    bool step(uint8_t byte, int32_t word) {
        const bool common = byte == OpPreIncCommon || byte == OpPreDecCommon ||
                            byte == OpPostIncCommon || byte == OpPostDecCommon;
        const bool pre = byte == OpPreIncVar || byte == OpPreDecVar ||
                         byte == OpPreIncCommon || byte == OpPreDecCommon;
        const bool inc = byte == OpPreIncVar || byte == OpPostIncVar ||
                         byte == OpPreIncCommon || byte == OpPostIncCommon;
        x86::Mem m;
        if (!place(common, word, m)) return false;
        x86::Xmm old = load(m);
        x86::Xmm changed = pre ? old : copy(old);
        if (inc)
            cc_.addsd(changed, constant(1.0));
        else
            cc_.subsd(changed, constant(1.0));
        cc_.movsd(m, changed);
        push(pre ? changed : old);
        return true;
    }

    // --- operations ---------------------------------------------------------------

    bool operation(uint8_t byte) {
        if (auto f = jit_library::binary(byte)) return call2(f);
        if (auto f = jit_library::unary(byte)) return call1(f);
        switch (byte) {
        case OpAdd: return arith(byte);
        case OpSub: return arith(byte);
        case OpMul: return arith(byte);
        case OpDiv: return arith(byte);
        // Comparisons: a NaN makes all but "not equal" false, as cmpsd does.
        case OpGt: return compare(kCmpLt, true);
        case OpGe: return compare(kCmpLe, true);
        case OpLt: return compare(kCmpLt, false);
        case OpLe: return compare(kCmpLe, false);
        case OpEq: return compare(kCmpEq, false);
        case OpNe: return compare(kCmpNeq, false);
        case OpAnd: return logic(true);
        case OpOr: return logic(false);
        case OpNot: {
            if (stack_.empty()) return false;
            x86::Xmm r = truth(pop(), kCmpEq);
            cc_.andpd(r, one128());
            push(r);
            return true;
        }
        case OpNeg: return bits(mask(0x8000000000000000u), true);
        case kFirstBuiltin + real_op::abs_: return bits(mask(0x7FFFFFFFFFFFFFFFu), false);
        // Byte 45 ("return") is never emitted and runs as sqrt.  sqrtsd is
        // the correctly rounded square root the interpreter's std::sqrt is.
        case kFirstBuiltin + real_op::return_:
        case kFirstBuiltin + real_op::sqrt_: {
            if (stack_.empty()) return false;
            x86::Xmm t = pop();
            cc_.sqrtsd(t, t);
            push(t);
            return true;
        }
        default:
            return false; // calls, jumps, string access, bytes of no instruction
        }
    }

    // When both operands are NaN the instruction returns its destination's
    // NaN.  The interpreter's compiled code computes a+b and a*b into the
    // register of b (the top) and a-b, a/b into that of a; the same choice
    // here keeps even the NaN's sign and payload.
    bool arith(uint8_t byte) {
        if (stack_.size() < 2) return false;
        x86::Xmm b = pop(), a = pop();
        switch (byte) {
        case OpAdd: cc_.addsd(b, a); push(b); break;
        case OpMul: cc_.mulsd(b, a); push(b); break;
        case OpSub: cc_.subsd(a, b); push(a); break;
        default: cc_.divsd(a, b); push(a); break;
        }
        return true;
    }

    // x pred y as a 0 or 1; `swapped` compares b with a (a > b is b < a).
    bool compare(Predicate pred, bool swapped) {
        if (stack_.size() < 2) return false;
        x86::Xmm b = pop(), a = pop();
        x86::Xmm x = swapped ? b : a, y = swapped ? a : b;
        cc_.cmpsd(x, y, imm(pred));
        cc_.andpd(x, one128());
        push(x);
        return true;
    }

    // All ones where t pred 0 holds, else all zeros.
    x86::Xmm truth(x86::Xmm t, Predicate pred) {
        x86::Xmm zero = cc_.newXmmSd();
        cc_.xorpd(zero, zero);
        cc_.cmpsd(t, zero, imm(pred));
        return t;
    }

    // A NaN is a true value ("not equal" to 0).
    bool logic(bool both) {
        if (stack_.size() < 2) return false;
        x86::Xmm b = truth(pop(), kCmpNeq), a = truth(pop(), kCmpNeq);
        if (both)
            cc_.andpd(a, b);
        else
            cc_.orpd(a, b);
        cc_.andpd(a, one128());
        push(a);
        return true;
    }

    // Negation flips the sign bit, abs clears it: what the interpreter's
    // compiled -t and std::fabs do.
    bool bits(const x86::Mem &m, bool flip) {
        if (stack_.empty()) return false;
        x86::Xmm t = pop();
        if (flip)
            cc_.xorpd(t, m);
        else
            cc_.andpd(t, m);
        push(t);
        return true;
    }

    bool call1(jit_library::Unary f) {
        if (stack_.empty()) return false;
        x86::Xmm t = pop(), r = cc_.newXmmSd();
        InvokeNode *call = nullptr;
        if (cc_.invoke(&call, reinterpret_cast<uint64_t>(f),
                       FuncSignatureT<double, double>(CallConvId::kHost)) != kErrorOk)
            return false;
        call->setArg(0, t);
        call->setRet(0, r);
        push(r);
        return true;
    }

    bool call2(jit_library::Binary f) {
        if (stack_.size() < 2) return false;
        x86::Xmm b = pop(), a = pop(), r = cc_.newXmmSd();
        InvokeNode *call = nullptr;
        if (cc_.invoke(&call, reinterpret_cast<uint64_t>(f),
                       FuncSignatureT<double, double, double>(CallConvId::kHost)) != kErrorOk)
            return false;
        call->setArg(0, a);
        call->setArg(1, b);
        call->setRet(0, r);
        push(r);
        return true;
    }

    const FormulaRecord *rec_;
    const int32_t *h_;
    double *data_;
    x86::Compiler &cc_;
    x86::Gp args_;
    x86::Gp data_base_;
    std::vector<x86::Xmm> stack_;
};

JitEntry translate(const FormulaRecord *rec) {
    const int32_t *h = rec->header;
    if (h[kCodeStart] < 0 || h[kCodeLength] - h[kCodeStart] > kMaxInstructionBytes ||
        h[kDataLength] > kMaxDataSlots)
        return nullptr;
    JitRuntime *rt = native_runtime();
    if (!rt) return nullptr;
    CodeHolder code;
    FailFlag failed;
    if (code.init(rt->environment()) != kErrorOk) return nullptr;
    code.setErrorHandler(&failed);
    x86::Compiler cc(&code);
    RealCodegen gen(rec, cc);
    if (!gen.run() || failed.error || cc.finalize() != kErrorOk || failed.error) return nullptr;
    JitEntry entry = nullptr;
    if (rt->add(&entry, &code) != kErrorOk) return nullptr;
    return entry;
}

}  // namespace

JitEntry compile_real_native(const FormulaRecord *rec) {
    // Exhausted memory in the translation-time stack leaves the formula
    // interpreted like any other failure.
    try {
        return translate(rec);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
