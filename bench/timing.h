// A plain timing harness: each contender is a loop body taking an iteration
// count; it is calibrated once to run for about 20 ms of processor time, then
// run seven times, the contenders taking turns so that drifts of the clock
// speed hit all of them alike.  The median run counts.
#pragma once

#include <functional>
#include <vector>

namespace bench {

struct Loop {
    std::function<void(long iterations)> body;
    // Runs after each timed run, untimed: releases what the body made.
    std::function<void()> after = [] {};
};

// Nanoseconds per iteration for each loop, in the order given.
std::vector<double> ns_per_iteration(const std::vector<Loop> &loops);

// Keeps a value alive and its computation in place without costing an
// instruction: the compiler must assume the empty assembly reads it.
inline void keep(double value) { asm volatile("" : : "x"(value)); }

// Makes the compiler forget what it knows about a value, so work that
// depends on it can be neither folded nor hoisted out of a loop.
inline void forget(double &value) { asm volatile("" : "+x"(value)); }

}  // namespace bench
