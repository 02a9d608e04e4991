// Brent's method for one variable (NLopt has no one-dimensional minimiser):
// golden-section steps where parabolic interpolation through the three best
// points cannot be trusted, never evaluating closer than the tolerance to
// an earlier point or to an end of the interval.  After R. P. Brent,
// "Algorithms for Minimization without Derivatives", 1973, procedure
// localmin.
#pragma once

#include <cstdint>

#include "objective.h"

namespace optlib {

struct BrentOutcome {
    double x = 0, fx = 0;
    int status = 0;        // kStatusXtolReached or kStatusMaxevalReached
    int64_t evals = 0;
    bool stopped = false;  // the objective ended the run; x, fx the best so far
};

// Minimises f on [a, b] (a < b, b - a finite) until the interval of
// uncertainty is below 2 (sqrt(eps) |x| + tol / 3), or maxeval evaluations.
// tol > 0.
BrentOutcome brent_minimize(Objective &f, double a, double b, double tol, int64_t maxeval);

}  // namespace optlib
