// The string:: functions as the kernel sees them: one table of integer and
// one of real entry points, registered at start-up.
#pragma once

#include <span>

#include "ext/protocol/registrations.h"

namespace strlib {

std::span<const extproto::ScriptFunction> integer_functions();
std::span<const extproto::ScriptFunction> real_functions();

}  // namespace strlib
