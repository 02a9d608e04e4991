// The registration lists: script functions and constants in the order they
// are registered (and removed again at release).
#pragma once

#include <span>

#include "ext/protocol/registrations.h"

namespace tmdata {

std::span<const extproto::ScriptFunction> integer_functions();
std::span<const extproto::ScriptConstant> integer_constants();
std::span<const extproto::ScriptFunction> real_functions();
std::span<const extproto::ScriptConstant> real_constants();
std::span<const extproto::ScriptFunction> complex_functions();

}  // namespace tmdata
