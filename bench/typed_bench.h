// Integer and complex formulas through IntCal and ComplexCal against native
// C++ (std::complex for complex), ns per evaluation and the ratio to native.
#pragma once

#include "tamrix_peer.h"

namespace bench {

// Prints the table; false when a formula does not compile or a result
// differs from native.
bool time_typed(TamrixKernel &kernel);

}  // namespace bench
