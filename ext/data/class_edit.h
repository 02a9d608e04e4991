// Changing the length of a class: members cut off are deleted when the class
// owns them, names freed, new slots blank.  Shared by CSetLen and the
// TmDataClass service.
#pragma once

#include <cstdint>

#include "library.h"

namespace tmdata {

enum class SetLengthResult { kDone, kNoMemory, kClassGone };

// Sets the class `handle` to `length` members in `capacity` slots (-1:
// the current capacity, grown to the length when needed).  Owned objects of
// the members cut off are deleted.  A class that owns itself through a
// cycle may be deleted meanwhile: kClassGone, and it is not touched again.
SetLengthResult set_class_length(Library &lib, uint32_t handle, int length, int capacity = -1);

}  // namespace tmdata
