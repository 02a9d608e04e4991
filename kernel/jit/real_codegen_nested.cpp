// The frame of a nested activation in native code: what the fast form's
// nested path (run_nested) does on entry and exit, on the in-place path.
//
// Entry, in run_nested's order: a pending run error ends the activation at
// once with 0 and nothing recorded (an interrupt ends every recursion);
// an invalidated formula, a native stack used up to the thread's floor or a
// frame that does not fit the shared value stack records its run error and
// gives 0.  Then the frame is taken: the parameters stay in the caller's
// stack slots (`args`), and the frame's base lies LastParam+1 slots before
// the first free slot, so that the first automatic variable lands on it;
// the evaluation stack follows the automatic variables.  The activation
// flag becomes "re-entered" and stays so: only the first activation clears
// it.  Every return restores the shared stack's top.
#if TAMRIX_HAVE_JIT

#include <cstddef>

#include "../eval/native_guard.h"
#include "../eval/value_stacks.h"
#include "native_calls.h"
#include "real_codegen.h"

namespace tmx {

using namespace asmjit;

namespace {

// The thread's native-stack floor is an initial-exec thread-local: at the
// same offset from the thread pointer (fs) in every thread.
int64_t native_stack_floor_offset() {
    uintptr_t thread_pointer;
    asm("mov %%fs:0, %0" : "=r"(thread_pointer));
    return int64_t(reinterpret_cast<uintptr_t>(&t_native_stack_floor) - thread_pointer);
}

constexpr int32_t kTopOffset = int32_t(offsetof(ValueStack<double>, top));
constexpr int32_t kLimitOffset = int32_t(offsetof(ValueStack<double>, limit));
constexpr int32_t kSlotsOffset = int32_t(offsetof(ValueStack<double>, slots));

}  // namespace

void RealCodegen::begin_nested() {
    refused_ = cc_.newLabel();
    quiet_ = cc_.newLabel();
    branch_if_error_pending(quiet_);
    cc_.cmp(x86::dword_ptr(address(h_ + kCodeStart)), 0);
    cc_.jl(refused_);

    // This activation's frame against the floor, as native_stack_exhausted.
    x86::Gp floor = cc_.newIntPtr("floor");
    cc_.mov(floor, imm(native_stack_floor_offset()));
    x86::Mem floor_cell = x86::qword_ptr(floor);
    floor_cell.setSegment(x86::fs);
    cc_.mov(floor, floor_cell);
    x86::Gp here = cc_.newIntPtr("here");
    cc_.lea(here, cc_.newStack(8, 8));
    cc_.cmp(here, floor);
    cc_.jb(refused_);

    // The frame: VarCount + stack slots + 1, less the parameters' slots.
    const int64_t last_param = h_[kLastParam];
    const int64_t frame_slots =
        int64_t(h_[kVarCount]) + (int64_t(h_[kDataLength]) - h_[kStackBase]) + 1;
    x86::Gp stack = address(&g_real_stack);
    saved_top_ = cc_.newInt64("saved_top");
    cc_.movsxd(saved_top_, x86::dword_ptr(stack, kTopOffset));
    x86::Gp new_top = cc_.newInt64("new_top");
    cc_.lea(new_top, x86::ptr(saved_top_, int32_t(frame_slots - last_param)));
    x86::Gp limit = cc_.newInt64("limit");
    cc_.movsxd(limit, x86::dword_ptr(stack, kLimitOffset));
    cc_.cmp(new_top, limit);
    cc_.jge(refused_);

    frame_ = cc_.newIntPtr("frame");
    cc_.mov(frame_, x86::qword_ptr(stack, kSlotsOffset));
    cc_.lea(frame_, x86::ptr(frame_, saved_top_, 3, int32_t(-(last_param + 1) * 8)));
    cc_.mov(x86::dword_ptr(stack, kTopOffset), new_top.r32());
    cc_.mov(x86::byte_ptr(address(rec_->code)), kReentered);
}

void RealCodegen::end_nested() {
    cc_.mov(x86::dword_ptr(address(&g_real_stack.top)), saved_top_.r32());
}

// The entry's refusals: the run error, then 0 (no frame was taken).
void RealCodegen::refuse_nested() {
    cc_.bind(refused_);
    InvokeNode *call = nullptr;
    cc_.invoke(&call, reinterpret_cast<uint64_t>(&native_calls::refuse_nested),
               FuncSignatureT<void, void *>(CallConvId::kHost));
    call->setArg(0, imm(reinterpret_cast<uint64_t>(rec_)));
    cc_.bind(quiet_);
    cc_.ret(zero());
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
