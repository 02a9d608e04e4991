#include "module_numbers.h"

#include <cstdint>

namespace modlib {

void TM_CALL module_lock_token() {}

namespace {

constexpr int kMessageModuleFormulas = 10;

void *number_as_pointer(int number) { return reinterpret_cast<void *>(intptr_t(number)); }

int next_after(int number) { return number >= kLastModuleNumber ? kFirstModuleNumber : number + 1; }

}  // namespace

int formulas_in_module(const extproto::KernelExports &kernel, int number) {
    return int(kernel.ExMsgWithTamrix(kMessageModuleFormulas, number_as_pointer(number), nullptr,
                                      nullptr));
}

bool ModuleNumbers::try_take(const extproto::KernelExports &kernel, int number) {
    if (holds(number)) return false;
    if (!kernel.LockModule(number, module_lock_token, true)) return false;
    // Locked by us already but holding formulas: a module of ours whose
    // number we no longer track (its formulas outlived the list); not free.
    if (formulas_in_module(kernel, number) != 0) return false;
    held_.insert(number);  // may throw; the caller gives the number back
    counter_ = number;
    return true;
}

// Visits every number once, from the candidate upward and then from 1, so
// the walk ends even when the whole range is taken.
int ModuleNumbers::take_from(const extproto::KernelExports &kernel, int candidate) {
    int number = candidate;
    do {
        try {
            if (try_take(kernel, number)) return number;
        } catch (...) {
            kernel.LockModule(number, module_lock_token, false);
            throw;
        }
        number = next_after(number);
    } while (number != candidate);
    return 0;
}

int ModuleNumbers::take_main(const extproto::KernelExports &kernel, int requested) {
    if (requested > kLastModuleNumber) return 0;
    int candidate = requested >= kFirstModuleNumber ? requested : next_after(counter_);
    return take_from(kernel, candidate);
}

int ModuleNumbers::take_sub(const extproto::KernelExports &kernel) {
    return take_from(kernel, next_after(counter_));
}

void ModuleNumbers::give_back(const extproto::KernelExports &kernel, int number) {
    held_.erase(number);
    kernel.LockModule(number, module_lock_token, false);
}

}  // namespace modlib
