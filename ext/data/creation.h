// Making objects of each kind; shared by new and newcopy.  Each files the
// object and gives its handle, or 0 with nothing left allocated.  None of
// them counts the object: the script functions do.
#pragma once

#include <cstdint>

#include "library.h"
#include "types.h"

namespace tmdata {

// A scalar, value zeroed.
uint32_t create_scalar(Library &lib, int kind, int typeId);
// An array of the shape `dims` (a dimension vector), elements zeroed.
uint32_t create_array(Library &lib, int kind, int typeId, const int *dims);
// A class of `length` members in `capacity` slots (no arrays for 0 slots).
uint32_t create_class(Library &lib, int length, int capacity, int typeId);
// An object of an external type made by its create function.
uint32_t create_external(Library &lib, const TypeEntry &type, int kind, int typeId);

// Whether another object may be made (the object limit); counts one made.
inline bool below_object_limit(const Library &lib) { return lib.liveCount < lib.objectLimit; }

// The payload a live handle names, typed.
TmDataArray *array_of(uint32_t handle);

}  // namespace tmdata
