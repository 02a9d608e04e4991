// The integer and complex evaluators, which folding runs.  Declared weak
// until their definitions are in the tree, so that the kernel links without
// them; until then only sources that fold nothing compile.
#pragma once

#include <cstdint>

#include "tamrix/tamrix.h"

extern "C" {
__attribute__((weak)) int64_t IntCal(void *hFor, int64_t *args);
__attribute__((weak)) TmComplex ComplexCal(void *hFor, TmComplex *args);
}
