// Changing the length of a class: members cut off are deleted when the class
// owns them, names freed, new slots blank.  Shared by CSetLen and the
// TmDataClass service.
#pragma once

#include <cstdint>

#include "library.h"

namespace tmdata {

enum class SetLengthResult { kDone, kNoMemory, kClassGone };

// Sets the class `handle` to `length` members in at least `length` slots
// (exactly `capacity` when that is given and not below the length; -1 keeps
// the capacity unless it must grow).  A class that owns itself through a
// cycle may be deleted while its members go: kClassGone, and it is not
// touched again.
SetLengthResult set_class_length(Library &lib, uint32_t handle, int length, int capacity = -1);

}  // namespace tmdata
