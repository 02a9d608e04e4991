// The native-code tier against the interpreter in one run: compile plus first
// evaluation with the tier compiling at once, and SimpIntegrate and sum over
// a formula with the tier on and off.
#pragma once

#include "tamrix_peer.h"

namespace bench {

// Prints the tables; false when a formula does not compile, a run records an
// error or the two tiers give different results.  Restarts the kernel
// (InitTamrix) for each setting, so every formula compiled before is gone;
// leaves the kernel started with the settings of the environment.
bool time_tier(TamrixKernel &kernel);

}  // namespace bench
