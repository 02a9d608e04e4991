// Module numbers handed out by the module compiler.
//
// Each number is reserved in the kernel with LockModule, so that no other
// caller that supplies a lock function compiles into it.  The library also
// remembers every number it holds: the kernel cannot tell a number reserved
// a moment ago by a compile still in progress (an outer one waiting on a
// "#USE#") or kept by a live module without formulas of its own, from a
// free one, since both are records of this lock with no formulas.
#pragma once

#include <unordered_set>

#include "ext/protocol/kernel_binding.h"

namespace modlib {

inline constexpr int kFirstModuleNumber = 1;
inline constexpr int kLastModuleNumber = 2147483599;

// The lock function that marks this library's reservations.
void TM_CALL module_lock_token();

class ModuleNumbers {
public:
    // The main number of a new module: `requested` itself when it is at
    // least 1, else the number after the last one handed out; from there the
    // first number that is free, wrapping around to 1 once past the top, so
    // that numbers given back are used again.  0 when none is free (or a
    // requested number lies beyond the range).
    int take_main(const extproto::KernelExports &kernel, int requested);
    // A sub-module's number: the first free one after the last handed out.
    int take_sub(const extproto::KernelExports &kernel);
    // Drops the reservation (the kernel keeps a number that still holds
    // formulas until they are gone) and forgets the number.
    void give_back(const extproto::KernelExports &kernel, int number);

    bool holds(int number) const { return held_.count(number) != 0; }
    int last_handed_out() const { return counter_; }
    size_t held_count() const { return held_.size(); }

private:
    int take_from(const extproto::KernelExports &kernel, int candidate);
    bool try_take(const extproto::KernelExports &kernel, int number);

    int counter_ = 0;
    std::unordered_set<int> held_;
};

// Formulas the kernel counts under a module number (+n and -n alike).
int formulas_in_module(const extproto::KernelExports &kernel, int number);

}  // namespace modlib
