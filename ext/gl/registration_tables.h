// The 73 script functions and 160 constants, registered at start-up with a
// success flag each, so that only what was registered is removed again.
#pragma once

#include <span>

#include "library.h"

namespace gllib {

struct FunctionRow {
    const char16_t *name;
    double(TM_CALL *entry)(int, double *, TmCallContext *);
    int lastParam;  // parameters minus one; -2 any number
};

struct ConstantRow {
    const char16_t *name;
    double value;
};

std::span<const FunctionRow> function_rows();
std::span<const ConstantRow> constant_rows();

// A failed function shows its name (caption "OpenTmGl注册函数失败！");
// failed constants are listed only on request (gleRegConstState).
void register_functions(Library &lib);
void register_constants(Library &lib);
void unregister_all(Library &lib);

// Whether constant row i was registered.
bool constant_registered(size_t i);

}  // namespace gllib
