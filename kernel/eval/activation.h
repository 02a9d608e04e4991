// The frame discipline the three evaluators share: how an activation starts
// (first activation on the record's own data array, nested ones on the type's
// shared value stack), how its variables are addressed and how it ends.
//
// A first activation takes no frame: its automatic variables and evaluation
// stack are the record's data array, so a plain call from the host costs a
// flag store on entry and one on exit.  A nested activation (recursion, or a
// re-entry from an external function) takes a frame from the shared stack:
//   copy path      the arguments are copied into the frame's first slots and
//                  copied back on return, so the caller's slots are touched
//                  only at the end (the caller may be an external function
//                  that keeps using them);
//   in-place path  chosen by OpCall<Type> right before it calls a running
//                  formula of its own type: the parameters stay in the
//                  caller's evaluation stack and the frame starts so that the
//                  first automatic variable lands on the first free slot.
// Either way the frame also holds a private copy of the evaluation stack.
//
// The evaluators instantiate their loop once per kind of activation
// (Nested = false / true): a first activation then carries neither the
// bookkeeping of a nested frame nor its three-way variable addressing.
#pragma once

#include <cstdint>

#include "../address_table.h"
#include "../record.h"
#include "../run_error.h"
#include "native_guard.h"
#include "value_stacks.h"

namespace tmx {

// Everything an activation needs from its record, read once at entry (the
// activation flag is a byte of the code array, so any later read of the
// record would have to be repeated after each flag store).
template <class Slot, bool Nested> struct Frame {
    uint8_t *code;
    const int32_t *header;
    int32_t code_start;
    int32_t var_count;
    int32_t last_param;   // parameters minus one
    int32_t first_static; // nested only
    int32_t saved_top;    // nested only: shared stack top at entry
    Slot *data;           // the record's data array
    Slot *args;           // where the parameters live (by reference)
    Slot *frame;          // nested only: automatic variable v lives at frame[v]
    Slot *stack_base;     // first slot of the evaluation stack
    Slot *caller_args;    // nested copy path: where the arguments go back

    // A first activation's automatic and static variables both live in the
    // data array.
    Slot &var(int32_t v) const {
        if (v <= last_param) return args[v];
        if constexpr (Nested)
            if (v < first_static) return frame[v];
        return data[v];
    }
};

// Entry refusals.  Each records its run error (unless one is pending) with
// the formula's type and handle; the activation then returns 0 at once.
[[gnu::cold]] void refuse_invalidated(FormulaRecord *rec, int type, int32_t code_start);
[[gnu::cold]] void refuse_stack_overflow(FormulaRecord *rec, int type);

// The checks every activation makes first: an invalidated formula does not
// run, nor does one whose native stack is nearly used up.  A refusal also
// re-arms the copy-arguments flag, which the caller may have cleared for
// this very activation.
template <class Slot>
[[gnu::always_inline]] inline bool activation_allowed(FormulaRecord *rec, const int32_t *h,
                                                      ValueStack<Slot> &stack, int type) {
    const int32_t code_start = h[kCodeStart];
    if (code_start < 0) [[unlikely]] {
        stack.copy_args = 1;
        refuse_invalidated(rec, type, code_start);
        return false;
    }
    if (native_stack_exhausted()) [[unlikely]] {
        stack.copy_args = 1;
        refuse_stack_overflow(rec, type);
        return false;
    }
    return true;
}

template <class Slot, bool Nested>
[[gnu::always_inline]] inline void read_record(FormulaRecord *rec, const int32_t *h,
                                               Frame<Slot, Nested> &a) {
    a.code = rec->code;
    a.header = h;
    a.code_start = h[kCodeStart];
    a.var_count = h[kVarCount];
    a.last_param = h[kLastParam];
    a.first_static = h[kFirstStatic];
    a.data = static_cast<Slot *>(rec->data);
}

// Starts the first activation of a formula that is not running (the caller
// has checked the activation flag); false after recording why it may not.
template <class Slot>
[[gnu::always_inline]] inline bool begin_first(FormulaRecord *rec, Slot *args,
                                               ValueStack<Slot> &stack, int type,
                                               Frame<Slot, false> &a) {
    const int32_t *h = rec->header;
    if (!activation_allowed(rec, h, stack, type)) return false;
    read_record(rec, h, a);
    // A caller without an argument array of its own may pass none: the
    // record's argument area is the array then.
    a.args = args ? args : a.data;
    a.stack_base = a.data + h[kStackBase];
    a.code[0] = kRunning;
    return true;
}

// Starts a nested activation on `stack`; false after recording why it may
// not (invalidated, native stack, or "StackOverFlow" when the frame does not
// fit the shared stack).
//
// A nested activation does not start at all while a run error is pending:
// every unbounded run of calls re-enters some formula, so this is what lets
// an interrupt from another thread end a recursion that has no loop to poll
// (fib(100) would otherwise run on for ages after the error).  The result of
// an evaluation with a pending error is not valid anyway; straight-line code
// and first activations still run as before.
template <class Slot>
[[gnu::always_inline]] inline bool begin_nested(FormulaRecord *rec, Slot *args,
                                                ValueStack<Slot> &stack, int type,
                                                Frame<Slot, true> &a) {
    const int32_t *h = rec->header;
    if (run_error_pending()) [[unlikely]] {
        stack.copy_args = 1;
        return false;
    }
    if (!activation_allowed(rec, h, stack, type)) return false;
    read_record(rec, h, a);
    if (!args) args = a.data;
    // The flag is one-shot: it was cleared for exactly this call.
    const bool copy = stack.copy_args != 0;
    stack.copy_args = 1;
    const int32_t last_param = a.last_param;
    const int64_t top = stack.top;
    const int64_t frame_slots =
        int64_t(a.var_count) + (int64_t(h[kDataLength]) - h[kStackBase]) + 1;
    const int64_t new_top = copy ? top + frame_slots : top + frame_slots - last_param;
    if (new_top >= stack.limit) {
        refuse_stack_overflow(rec, type);
        return false;
    }
    Slot *free_slot = stack.slots + top;
    if (copy) {
        for (int32_t i = 0; i <= last_param; ++i) free_slot[i] = args[i];
        a.args = free_slot;
        a.caller_args = args;
        a.frame = free_slot;
    } else {
        // Frame indices 0..last_param are never used through `frame` (they
        // are the caller's slots), so the base may lie before free_slot.
        a.args = args;
        a.caller_args = nullptr;
        a.frame = free_slot - (last_param + 1);
    }
    a.stack_base = a.frame + a.var_count;
    a.saved_top = int32_t(top);
    stack.top = int32_t(new_top);
    a.code[0] = kReentered;
    return true;
}

template <class Slot>
[[gnu::always_inline]] inline void end_activation(ValueStack<Slot> &, const Frame<Slot, false> &a) {
    a.code[0] = kIdle;
}

// Releases the frame and, on the copy path, copies the arguments back.  The
// activation flag stays "re-entered": only the first activation resets it.
template <class Slot>
[[gnu::always_inline]] inline void end_activation(ValueStack<Slot> &stack,
                                                  const Frame<Slot, true> &a) {
    stack.top = a.saved_top;
    if (a.caller_args)
        for (int32_t i = 0; i <= a.last_param; ++i) a.caller_args[i] = a.args[i];
}

// What OpReturn yields on an empty evaluation stack: the slot below the stack
// base.  A first activation without variables and constants has no such slot
// in its data array, so it yields zero instead of reading before the array.
// (A nested frame always has one: slot 0 of the shared stack is never handed
// out.)
template <class Slot, bool Nested>
[[gnu::cold]] inline Slot empty_stack_result(const Slot *sp, const Slot *data) {
    if constexpr (!Nested)
        if (sp < data) return Slot{};
    return *sp;
}

// Argument slot of a call with argument count minus one `m`: the first of the
// m+1 arguments that end at the top, or a fresh result slot when m < 0.
template <class Slot> inline Slot *call_slot(Slot *sp, int32_t m) {
    return m < 0 ? sp + 1 : sp - m;
}

// Runs the write-back list that follows a call instruction: tag bytes in the
// code ended by 0, each with {argument position, target} in the operand
// stream.  Tag 2 targets a variable, any other tag a shared cell.  Returns the
// instruction position after the list.
template <class Slot, bool Nested>
[[gnu::always_inline]] inline const uint8_t *write_back(const uint8_t *ip, const int32_t *&op,
                                                        const Slot *slot,
                                                        const Frame<Slot, Nested> &a) {
    for (uint8_t tag; (tag = *ip++) != 0; op += 2) {
        const Slot value = slot[op[0]];
        if (tag == 2)
            a.var(op[1]) = value;
        else
            *static_cast<Slot *>(address_at(uint32_t(op[1]))) = value;
    }
    return ip;
}

}  // namespace tmx
