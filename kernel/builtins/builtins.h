// The registered built-ins: ordinary external functions that InitTamrix
// files in the name tree before any extension library is loaded, so formulas
// call them exactly like library functions.  Every one has the external
// signature of its number type: (m = arguments minus one, the arguments on
// the caller's stack, the call context).
#pragma once

#include <cstdint>

#include "tamrix/tamrix.h"

namespace tmx {

// Files every registered built-in: the integer table, then the real table,
// then the complex table.  A row whose name is taken is dropped silently.
void register_builtins();

// --- largest / smallest value ("max", "min") --------------------------------
int64_t builtin_max_int(int m, int64_t *args, TmCallContext *ctx);
int64_t builtin_min_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_max_real(int m, double *args, TmCallContext *ctx);
double builtin_min_real(int m, double *args, TmCallContext *ctx);

// --- real analysis over named formulas --------------------------------------
double builtin_modf(int m, double *args, TmCallContext *ctx);
double builtin_simp_integrate(int m, double *args, TmCallContext *ctx);
double builtin_sum(int m, double *args, TmCallContext *ctx);
double builtin_pro(int m, double *args, TmCallContext *ctx);
double builtin_data_sum(int m, double *args, TmCallContext *ctx);
double builtin_data_pro(int m, double *args, TmCallContext *ctx);

// --- "const": constants made by scripts --------------------------------------
int64_t builtin_const_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_const_real(int m, double *args, TmCallContext *ctx);
void builtin_const_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx);

// --- "GetCalByte": the raw bits of the last cross-type call result -----------
int64_t builtin_get_cal_byte_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_get_cal_byte_real(int m, double *args, TmCallContext *ctx);
void builtin_get_cal_byte_complex(TmComplex *result, int m, TmComplex *args,
                                  TmCallContext *ctx);

// --- the module system: "Module", "OutFun", "HFor", "using" ------------------
int64_t builtin_module_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_module_real(int m, double *args, TmCallContext *ctx);
void builtin_module_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx);

int64_t builtin_out_fun_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_out_fun_real(int m, double *args, TmCallContext *ctx);
void builtin_out_fun_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx);

int64_t builtin_hfor_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_hfor_real(int m, double *args, TmCallContext *ctx);
void builtin_hfor_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx);

int64_t builtin_using_int(int m, int64_t *args, TmCallContext *ctx);
double builtin_using_real(int m, double *args, TmCallContext *ctx);
void builtin_using_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx);

}  // namespace tmx
