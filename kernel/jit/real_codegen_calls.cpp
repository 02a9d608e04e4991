// Calls from native code: other formulas of every type and external
// functions, each through a small C++ routine (native_calls.h) that is the
// interpreter's own call path.
//
// Native code runs only as a first activation, whose evaluation stack is the
// record's data array from StackBase on.  A call stores its arguments there,
// exactly where the interpreter would have them, and hands the callee their
// address: a callee that takes a parameter by reference changes that slot,
// and the write-back list copies it out after the call, as interpreted.
// Native code that calls marks its formula running for the whole activation,
// so that a recursive call (or an external function calling back) takes the
// nested path and RealCal's test of the activation flag stays meaningful.
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

    const int32_t base = h_[kStackBase] + first;
    for (int32_t i = 0; i <= m; ++i) cc_.movsd(data_slot(base + i), stack_[size_t(first + i)]);
    stack_.resize(size_t(first));
    x86::Gp slot = cc_.newIntPtr("slot");
    cc_.lea(slot, data_slot(base));

    const void *routine = nullptr;
    switch (byte) {
    case OpCallReal: routine = reinterpret_cast<const void *>(&native_calls::call_real); break;
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
    if (err != kErrorOk) return false;
    node->setArg(0, imm(reinterpret_cast<uint64_t>(rec_)));
    node->setArg(1, imm(reinterpret_cast<uint64_t>(target)));
    if (byte == OpCallExternal) {
        node->setArg(2, imm(int64_t(m)));
        node->setArg(3, slot);
    } else {
        node->setArg(2, slot);
    }
    node->setRet(0, r);

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
        x86::Xmm v = load(data_slot(base + k));
        cc_.movsd(m_to, v);
    }
    push(r);
    return true;
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
