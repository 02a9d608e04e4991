// Calls from native code: other formulas of every type and external
// functions, each through a small C++ routine (native_calls.h) that is the
// interpreter's own call path, except the nested native code of a running
// real formula, which is called directly.
//
// A call stores its arguments in the activation's evaluation stack (the
// record's data array from StackBase on for a first activation, the frame
// after its automatic variables for a nested one), exactly where the
// interpreter would have them, and hands the callee their address: a callee
// that takes a parameter by reference changes that slot, and the write-back
// list copies it out after the call, as interpreted.  Native code that calls
// marks its formula running for the whole activation, so that a recursive
// call (or an external function calling back) takes the nested path and
// RealCal's test of the activation flag stays meaningful.
#if TAMRIX_HAVE_JIT

#include "real_codegen.h"

#include "../address_table.h"
#include "../opcodes.h"
#include "native_calls.h"

namespace tmx {

using namespace asmjit;

// The entry checks; a refused activation returns 0 without running.
void RealCodegen::begin_activation() {
    refused_ = cc_.newLabel();
    x86::Gp allowed = cc_.newInt32("allowed");
    InvokeNode *call = nullptr;
    cc_.invoke(&call, reinterpret_cast<uint64_t>(&native_calls::begin_first),
               FuncSignatureT<int, void *>(CallConvId::kHost));
    call->setArg(0, imm(reinterpret_cast<uint64_t>(rec_)));
    call->setRet(0, allowed);
    cc_.test(allowed, allowed);
    cc_.jz(refused_);
}

// A call with argument count minus one `m` (arguments at the top of the
// stack), then its write-back list of tag bytes at `ip`.
bool RealCodegen::call(uint8_t byte, int32_t callee, int32_t m, int32_t &ip, int32_t &op) {
    const int32_t depth = int32_t(stack_.size());
    if (m < -1 || m >= depth) return false;
    // The first argument's (or a fresh result slot's) stack position.
    const int32_t first = m < 0 ? depth : depth - 1 - m;
    const int32_t used = m < 0 ? 1 : m + 1;
    if (first + used > h_[kDataLength] - h_[kStackBase]) return false;
    void *target = address_at(uint32_t(callee));
    if (!target) return false;

    for (int32_t i = 0; i <= m; ++i) cc_.movsd(stack_slot(first + i), stack_[size_t(first + i)]);
    stack_.resize(size_t(first));
    x86::Gp slot = cc_.newIntPtr("slot");
    cc_.lea(slot, stack_slot(first));
    const x86::Xmm r = byte == OpCallReal ? call_real(static_cast<FormulaRecord *>(target), slot)
                                          : call_other(byte, target, m, slot);
    if (!r.isValid()) return false;

    // Write-back: {argument position, target} per tag; tag 2 a variable,
    // any other a shared cell.
    for (;;) {
        if (ip >= h_[kCodeLength]) return false;
        const uint8_t tag = rec_->code[ip++];
        if (tag == 0) break;
        if (!words_left(op, 2)) return false;
        const int32_t k = h_[op], to = h_[op + 1];
        op += 2;
        if (k < 0 || k >= used) return false;
        x86::Mem m_to;
        if (!place(tag != 2, to, m_to)) return false;
        x86::Xmm v = load(stack_slot(first + k));
        cc_.movsd(m_to, v);
    }
    push(r);
    return true;
}

// Integer and complex formulas and external functions, through their
// routines; an invalid register when asmjit refuses the call.
x86::Xmm RealCodegen::call_other(uint8_t byte, void *target, int32_t m, x86::Gp slot) {
    const void *routine = nullptr;
    switch (byte) {
    case OpCallInt: routine = reinterpret_cast<const void *>(&native_calls::call_int); break;
    case OpCallComplex:
        routine = reinterpret_cast<const void *>(&native_calls::call_complex);
        break;
    default: routine = reinterpret_cast<const void *>(&native_calls::call_external); break;
    }
    x86::Xmm r = cc_.newXmmSd();
    InvokeNode *node = nullptr;
    const Error err =
        byte == OpCallExternal
            ? cc_.invoke(&node, reinterpret_cast<uint64_t>(routine),
                         FuncSignatureT<double, void *, void *, int64_t, double *>(
                             CallConvId::kHost))
            : cc_.invoke(&node, reinterpret_cast<uint64_t>(routine),
                         FuncSignatureT<double, void *, void *, double *>(CallConvId::kHost));
    if (err != kErrorOk) return x86::Xmm();
    node->setArg(0, imm(reinterpret_cast<uint64_t>(rec_)));
    node->setArg(1, imm(reinterpret_cast<uint64_t>(target)));
    if (byte == OpCallExternal) {
        node->setArg(2, imm(int64_t(m)));
        node->setArg(3, slot);
    } else {
        node->setArg(2, slot);
    }
    node->setRet(0, r);
    return r;
}

// A real formula.  A running callee with nested native code (a recursion)
// is called directly, its arguments staying in this activation's stack
// slots (the in-place path); its own entry makes every check a nested
// activation makes.  The formula itself is always running when its code
// runs, so its recursive calls need no test of the callee at all.  Anything
// else, and a call after this formula was invalidated (which records the
// run error), takes the call path.
x86::Xmm RealCodegen::call_real(FormulaRecord *callee, x86::Gp slot) {
    const FuncSignatureT<double, double *> entry(CallConvId::kHost);
    x86::Xmm r = cc_.newXmmSd("result");
    Label general = cc_.newLabel(), done = cc_.newLabel();
    cc_.cmp(x86::dword_ptr(address(h_ + kCodeStart)), 0);
    cc_.jl(general);
    InvokeNode *node = nullptr;
    Error err;
    if (callee == rec_ && nested_) {
        err = cc_.invoke(&node, self_, entry);
    } else if (callee == rec_ && nested_entry_) {
        err = cc_.invoke(&node, reinterpret_cast<uint64_t>(nested_entry_), entry);
    } else {
        cc_.cmp(x86::byte_ptr(address(callee->code)), kIdle);
        cc_.je(general);
        x86::Gp native = cc_.newIntPtr("native");
        cc_.mov(native, x86::qword_ptr(address(&callee->jit_nested)));
        cc_.test(native, native);
        cc_.jz(general);
        err = cc_.invoke(&node, native, entry);
    }
    if (err != kErrorOk) return x86::Xmm();
    node->setArg(0, slot);
    node->setRet(0, r);
    cc_.jmp(done);

    cc_.bind(general);
    if (cc_.invoke(&node, reinterpret_cast<uint64_t>(&native_calls::call_real),
                   FuncSignatureT<double, void *, void *, double *>(CallConvId::kHost)) !=
        kErrorOk)
        return x86::Xmm();
    node->setArg(0, imm(reinterpret_cast<uint64_t>(rec_)));
    node->setArg(1, imm(reinterpret_cast<uint64_t>(callee)));
    node->setArg(2, slot);
    node->setRet(0, r);
    cc_.bind(done);
    return r;
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
