// Minimisation of an objective of n variables with NLopt, within optional
// bounds, for the algorithms the opt:: constants name.  L-BFGS gets its
// gradient from central differences of the objective (one-sided at a
// bound), so every algorithm needs nothing but values.
//
// The run ends early, through NLopt's forced stop, when the objective says
// so (a run error, an interrupt, a value that cannot stand) or when the
// evaluation limit is reached; the point is then the best one evaluated.
#pragma once

#include <cstdint>
#include <vector>

#include "objective.h"

namespace optlib {

// The values of the algorithm constants ("opt::NELDERMEAD" ...).
enum Algorithm : int {
    kNelderMead = 1,
    kSubplex = 2,
    kBobyqa = 3,
    kCobyla = 4,
    kLbfgs = 5,
};
inline bool known_algorithm(int64_t a) { return a >= kNelderMead && a <= kLbfgs; }

struct Settings {
    int algorithm = kSubplex;
    std::vector<double> lower, upper;  // both empty, or one value per variable
    double rtol = 1e-10;               // relative change of x (NLopt's xtol_rel), 0 off
    double atol = 0;                   // absolute change of f (NLopt's ftol_abs), 0 off
    int64_t maxeval = 100000;          // evaluations of the objective, 0 no limit
};

struct Outcome {
    int status = 0;        // NLopt's result, kStatusMaxevalReached for the limit
    int64_t evals = 0;     // evaluations of the objective, the gradient's included
    double fmin = 0;
    bool stopped = false;  // the objective ended the run
    bool noMemory = false;
};

// Minimises from x (within the bounds) and leaves the best point in x.
Outcome minimize(Objective &objective, std::vector<double> &x, const Settings &settings);

}  // namespace optlib
