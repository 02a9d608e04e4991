// The sys:: functions and constants as the kernel sees them.
#pragma once

#include <span>

#include "ext/protocol/registrations.h"

namespace syslib {

std::span<const extproto::ScriptFunction> integer_functions();
std::span<const extproto::ScriptFunction> real_functions();
std::span<const extproto::ScriptConstant> integer_constants();
std::span<const extproto::ScriptConstant> real_constants();

}  // namespace syslib
