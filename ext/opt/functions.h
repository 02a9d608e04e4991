// The opt:: functions on the slots of their call (real formulas only):
// m + 1 arguments, by-reference ones written back by the evaluator.
#pragma once

#include "library.h"

namespace optlib {

double opt_brent(const Library &lib, int m, double *args, TmCallContext *ctx);
double opt_minimize(const Library &lib, int m, double *args, TmCallContext *ctx);
double opt_fit(const Library &lib, int m, double *args, TmCallContext *ctx);

}  // namespace optlib
