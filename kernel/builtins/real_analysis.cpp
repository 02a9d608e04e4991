// STUB: "modf", "SimpIntegrate", "sum", "pro", "DataSum", "DataPro" (to be written).
#include "builtins.h"

namespace tmx {

double builtin_modf(int, double *, TmCallContext *) { return 0; }
double builtin_simp_integrate(int, double *, TmCallContext *) { return 0; }
double builtin_sum(int, double *, TmCallContext *) { return 0; }
double builtin_pro(int, double *, TmCallContext *) { return 0; }
double builtin_data_sum(int, double *, TmCallContext *) { return 0; }
double builtin_data_pro(int, double *, TmCallContext *) { return 0; }

}  // namespace tmx
