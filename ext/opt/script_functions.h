// The opt:: functions and constants as the kernel sees them.
#pragma once

#include <span>

#include "ext/protocol/registrations.h"

namespace optlib {

std::span<const extproto::ScriptFunction> real_functions();
std::span<const extproto::ScriptConstant> real_constants();

}  // namespace optlib
