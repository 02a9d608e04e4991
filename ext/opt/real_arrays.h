// Points, bounds and data travel as real64_s arrays of the data library.
// The library works on copies: a formula it evaluates may set, resize or
// delete those arrays, and nothing it does then can reach freed storage.
// The result goes back into the start array only if that array still is a
// real64_s array of the same length.
#pragma once

#include <cstdint>
#include <vector>

#include "library.h"

namespace optlib {

// The array behind a real slot: its elements copied into out.  False when
// the slot names no real64_s array or an empty one.
bool read_real_array(const Library &lib, double slot, std::vector<double> *out);

// Writes values back over the array handle; false when it no longer is a
// real64_s array of values.size() elements.
bool write_real_array(const Library &lib, double slot, const std::vector<double> &values);

// A bound argument: 0 (or NULL) for none, else a real64_s array.
inline bool is_no_array(double slot) { return slot == 0; }

}  // namespace optlib
