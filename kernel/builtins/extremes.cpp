// STUB: "max" and "min" (to be written).
#include "builtins.h"

namespace tmx {

int64_t builtin_max_int(int, int64_t *, TmCallContext *) { return 0; }
int64_t builtin_min_int(int, int64_t *, TmCallContext *) { return 0; }
double builtin_max_real(int, double *, TmCallContext *) { return 0; }
double builtin_min_real(int, double *, TmCallContext *) { return 0; }

}  // namespace tmx
