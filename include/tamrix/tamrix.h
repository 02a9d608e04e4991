/* Public interface of the Tamrix kernel library (libTamrix32W.so).
 *
 * Every export is a plain C function, reached by name through the platform
 * loader.  Text crossing the interface is UTF-16 (char16_t), zero-terminated
 * unless a length is given; "bool" is one byte.
 *
 * Parameter counts are always "number of parameters minus one": -1 means none,
 * below -1 (external functions only) means any number.
 */
#ifndef TAMRIX_TAMRIX_H
#define TAMRIX_TAMRIX_H

#include <stdbool.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#include "compile_errors.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TAMRIX_BUILDING_KERNEL)
#define TM_API __attribute__((visibility("default")))
#else
#define TM_API
#endif

/* The callee-pops convention of the original platform maps to the platform's
 * default C convention here. */
#define TM_CALL

/* Every function the kernel library exports, in the order of its interface.
 * The library's version script and its export test are generated from this
 * list (kernel/CMakeLists.txt); a host that binds the kernel by name can walk
 * it too:  #define BIND(name) name##_ptr = lookup(#name);  TM_KERNEL_EXPORTS(BIND) */
#define TM_KERNEL_EXPORTS(X)                                                          \
    X(TamrixVer) X(InitTamrix) X(FreeTamrix)                                          \
    X(RealCom) X(RealCal)                                                             \
    X(GetRunErr) X(SetRunErr) X(TestRunErr)                                           \
    X(SetFunction) X(SetConst) X(DeleteConstOrFunction)                               \
    X(IsFor) X(GetFor) X(ParaModify) X(GetForStr) X(DeleteFor)                        \
    X(IntCom) X(ComplexCom)                                                           \
    X(IntCal) X(ComplexCal)                                                           \
    X(InsertKey) X(SearchKey) X(DeleteKey) X(DeletePrivateKey) X(EnumKeyTypeValue)    \
    X(LockKeyType)                                                                    \
    X(LockModule) X(ExMsgWithTamrix)

/* Number type codes; also the formula-list entry types in the name tree. */
enum { TM_INTEGER = 1, TM_REAL = 2, TM_COMPLEX = 3 };

/* Compile status codes besides the compile error codes 2..39; the full
 * table of results and their texts is in compile_errors.h. */
enum { TM_OK = TM_CE_OK, TM_NO_MEMORY = TM_CE_NO_MEMORY, TM_MODULE_LOCKED = TM_CE_MODULE_LOCKED };

typedef struct TmComplex {
    double re;
    double im;
} TmComplex;

/* Built by the evaluator for each external call and handed to the function;
 * the function passes it on to GetFor, GetForStr and SetRunErr. */
typedef struct TmCallContext {
    int8_t type;  /* 1 integer, 2 real, 3 complex */
    void *hFor;   /* handle of the calling formula */
} TmCallContext;

/* External functions by type (SetFunction types 4, 5, 6).  m is the argument
 * count minus one; the arguments lie in consecutive slots the function may
 * overwrite (by-reference arguments are written back after the call). */
typedef int64_t(TM_CALL *TmIntFunction)(int m, int64_t *args, TmCallContext *ctx);
typedef double(TM_CALL *TmRealFunction)(int m, double *args, TmCallContext *ctx);
typedef void(TM_CALL *TmComplexFunction)(TmComplex *result, int m, TmComplex *args,
                                         TmCallContext *ctx);

/* Lock function of a module: called once, without arguments, by the calls that
 * receive it. */
typedef void(TM_CALL *TmLockFunction)(void);

/* --- lifecycle ------------------------------------------------------------ */
TM_API const char16_t *TM_CALL TamrixVer(void);
TM_API bool TM_CALL InitTamrix(void);
TM_API void TM_CALL FreeTamrix(void);

/* --- compile ----------------------------------------------------------------
 * source: the formula text.  module: module number (sign = visibility).
 * hFor: in: the module's lock function or null; out: the new formula's handle.
 * paramCount: out, parameters minus one.  data: out, the formula's data array
 * (its first slots are the parameters).  errBegin/errEnd: out, the first and
 * last source index of the offending text on a compile error.
 * Result: 0 ok, 1 out of memory, -2 module locked, else a compile error code. */
TM_API int TM_CALL RealCom(const char16_t *source, int module, void **hFor,
                           int *paramCount, double **data, int *errBegin, int *errEnd);
/* The same for integer formulas (8-byte slots) and complex formulas (16-byte
 * slots, real part first). */
TM_API int TM_CALL IntCom(const char16_t *source, int module, void **hFor,
                          int *paramCount, int64_t **data, int *errBegin, int *errEnd);
TM_API int TM_CALL ComplexCom(const char16_t *source, int module, void **hFor,
                              int *paramCount, TmComplex **data, int *errBegin, int *errEnd);

/* --- evaluate ---------------------------------------------------------------
 * args: the first of paramCount+1 consecutive slots; parameters are by
 * reference, so stores to them land in args. */
TM_API double TM_CALL RealCal(void *hFor, double *args);
/* The same for integer formulas (8-byte slots) and complex formulas (16-byte
 * slots, real part first; the result is returned by value). */
TM_API int64_t TM_CALL IntCal(void *hFor, int64_t *args);
TM_API TmComplex TM_CALL ComplexCal(void *hFor, TmComplex *args);

/* --- run errors ------------------------------------------------------------ */
TM_API void TM_CALL GetRunErr(int *type, const char16_t **name, int *code, int *forType,
                              void **hFor);
/* forType 0 with a non-null hFor: hFor is a TmCallContext*. */
TM_API void TM_CALL SetRunErr(int type, const char16_t *name, int code, int forType,
                              void *hFor);
TM_API int TM_CALL TestRunErr(void);

/* --- registry ---------------------------------------------------------------
 * SetFunction / SetConst result: 0 registered, 1 name exists for this type,
 * 2 out of memory, 3 empty name, 4 bad type. */
TM_API int TM_CALL SetFunction(int type, const char16_t *name, void *function,
                               int paramCount);
TM_API int TM_CALL SetConst(int type, const char16_t *name, const void *value);
TM_API void TM_CALL DeleteConstOrFunction(int type, const char16_t *name);
TM_API bool TM_CALL IsFor(const char16_t *name, int type, int module, void *hFor,
                          void *data, int paramCount);
TM_API bool TM_CALL GetFor(const char16_t *name, int type, void *contextOrHandle,
                           int *module, void **hFor, void **data, int *paramCount);
TM_API bool TM_CALL ParaModify(int type, void *hFor);
TM_API void TM_CALL GetForStr(void *hFor, char16_t **str, int *first, int *last);
TM_API void TM_CALL DeleteFor(int type, void *hFor);

/* --- key registry -----------------------------------------------------------
 * Keys are byte strings (wide names: their UTF-16 bytes, byteLen = 2 x
 * characters) filed under a key type: -255..255 are the kernel's and refused,
 * 256 and above public, -256 and below private to the owner's delete function.
 * A delete function is called with the value whenever its key is removed
 * (deletion, replacement, type unlock, FreeTamrix). */
typedef void(TM_CALL *TmKeyDelete)(void *value);
typedef void(TM_CALL *TmUnlockToken)(void);
/* Enumeration callback: key bytes (0 after them), their count, the value.
 * Returning 0 stops the walk. */
typedef int(TM_CALL *TmKeyVisitor)(char *key, int len, void *value);

/* nowKey in/out: *nowKey null on entry keeps an existing key, non-null replaces
 * it.  Result: 0 inserted, 1 kept (*nowKey := its value), 2 replaced (old
 * delete function called once), 3 reserved type, 4 type locked by another
 * delete function, 5 out of memory, 6 bad key (null, byteLen < 1). */
TM_API int TM_CALL InsertKey(const void *key, int byteLen, int keyType, void *value,
                             TmKeyDelete deleteFn, void **nowKey);
TM_API void *TM_CALL SearchKey(const void *key, int byteLen, int keyType);
/* Public types only. */
TM_API void TM_CALL DeleteKey(const void *key, int byteLen, int keyType);
/* Private types only; removes the key only if deleteFn is its delete function. */
TM_API void TM_CALL DeletePrivateKey(const void *key, int byteLen, int keyType,
                                     TmKeyDelete deleteFn);
/* Visits every key of the type in bitwise order (shorter prefixes first); the
 * buffer receives min(key length, bufferLen - 1) key bytes and a 0. */
TM_API void TM_CALL EnumKeyTypeValue(int keyType, char *buffer, int bufferLen,
                                     TmKeyVisitor visit);
/* Calls unlockToken once, then: deleteFn non-null locks the type for that
 * delete function (refused when locked or keys exist); null unlocks it with
 * the token that locked it, removing every key of the type.  0 ok, 1 refused. */
TM_API int TM_CALL LockKeyType(int keyType, TmKeyDelete deleteFn, TmUnlockToken unlockToken);

/* --- module locks and messages ----------------------------------------------
 * LockModule calls lockFn once first (null lockFn: false).  lock: reserve the
 * module number for lockFn; unlock: drop a reservation that holds no formulas. */
TM_API bool TM_CALL LockModule(int module, TmLockFunction lockFn, bool lock);
/* 1/3: p = call context, *q := its formula type, *out := its handle, then as
 * 2/4.  2: *q = type, p = handle -> address of the formula's name.  4: the same
 * -> its module number.  5: p = static-release hook; 6 clears it.  7/8/9: p =
 * constant name -> address of the integer/real/complex value.  10: p = module
 * number -> its formula count.  11: address of the run-error record.  Unknown
 * handles, names and messages give 0; null out pointers are skipped. */
TM_API intptr_t TM_CALL ExMsgWithTamrix(int message, void *p, int *q, void **out);

#ifdef __cplusplus
}
#endif

#endif
