// "ExeModule" and the script functions a running module talks to its host
// through.
#pragma once

#include "library.h"

namespace modlib {

// Evaluates the module's runnable formulas in order, hands each result to
// the matching callback while talking, stops early when "stop" was called,
// then reports the run error (or clears it silently when not talking).  A
// list that is not the first node of a live module is ignored.
void execute_module(Library &lib, TmModuleNode *list, TmIntOut intOut, TmRealOut realOut,
                    TmComplexOut complexOut);

// The script functions, registered as real functions at start-up.
std::span<const extproto::ScriptFunction> script_functions();

// The module library's own version line, printed by "MTamrixVer".
extern const char16_t kModuleLibraryVersion[];

}  // namespace modlib
