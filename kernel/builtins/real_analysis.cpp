// "modf": the fractional part as the result, the integral part through the
// second argument, which the caller passes by reference (&ip) to receive it.
#include <cmath>

#include "builtins.h"

namespace tmx {

double builtin_modf(int m, double *args, TmCallContext *) {
    // Registered with two parameters, so the compilers always pass two; a
    // native caller with fewer has no slot for the integral part.
    if (m < 1) return 0.0;
    return std::modf(args[0], &args[1]);
}

}  // namespace tmx
