// STUB: "const" (to be written).
#include "builtins.h"

namespace tmx {

int64_t builtin_const_int(int, int64_t *, TmCallContext *) { return 0; }
double builtin_const_real(int, double *, TmCallContext *) { return 0; }
void builtin_const_complex(TmComplex *result, int, TmComplex *, TmCallContext *) { *result = {0, 0}; }

}  // namespace tmx
