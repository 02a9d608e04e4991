// What a minimiser minimises: a function of a fixed number of reals that
// may end the run (a run error, an interrupt, a value that cannot stand).
#pragma once

#include <cstddef>

namespace optlib {

class Objective {
public:
    virtual ~Objective() = default;
    // f at x; false ends the run, and the objective knows why.
    virtual bool value(const double *x, double *f) = 0;
    // The run-error code of why it ended the run, 0 for an error that is
    // already pending (the formula's own, an interrupt).
    virtual int stop_code() const = 0;
};

// The status codes the functions hand back by reference: NLopt's own, so
// users can read NLopt's documentation for them.
enum Status : int {
    kStatusSuccess = 1,
    kStatusFtolReached = 3,
    kStatusXtolReached = 4,
    kStatusMaxevalReached = 5,
    kStatusFailure = -1,
    kStatusInvalidArgs = -2,
    kStatusRoundoffLimited = -4,
    kStatusForcedStop = -5,
};

}  // namespace optlib
