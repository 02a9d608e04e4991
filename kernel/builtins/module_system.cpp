// STUB: "Module", "OutFun", "HFor", "using" (to be written).
#include "builtins.h"

namespace tmx {

int64_t builtin_module_int(int, int64_t *, TmCallContext *) { return 0; }
double builtin_module_real(int, double *, TmCallContext *) { return 0; }
void builtin_module_complex(TmComplex *result, int, TmComplex *, TmCallContext *) { *result = {0, 0}; }
int64_t builtin_out_fun_int(int, int64_t *, TmCallContext *) { return 0; }
double builtin_out_fun_real(int, double *, TmCallContext *) { return 0; }
void builtin_out_fun_complex(TmComplex *result, int, TmComplex *, TmCallContext *) { *result = {0, 0}; }
int64_t builtin_hfor_int(int, int64_t *, TmCallContext *) { return 0; }
double builtin_hfor_real(int, double *, TmCallContext *) { return 0; }
void builtin_hfor_complex(TmComplex *result, int, TmComplex *, TmCallContext *) { *result = {0, 0}; }
int64_t builtin_using_int(int, int64_t *, TmCallContext *) { return 0; }
double builtin_using_real(int, double *, TmCallContext *) { return 0; }
void builtin_using_complex(TmComplex *result, int, TmComplex *, TmCallContext *) { *result = {0, 0}; }

}  // namespace tmx
