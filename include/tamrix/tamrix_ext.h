/* Tamrix extension protocol and module-library services.
 *
 * An extension library exports one entry point, TmDll32W; the host hands it
 * the kernel's loader handle.  Libraries publish services as keys of the
 * private type -256 under ASCII names (byte length = characters, no NUL);
 * hosts publish their callbacks as keys of the public type 256.  Every
 * function crossing these interfaces uses the platform's default C
 * convention (TM_CALL). */
#ifndef TAMRIX_EXT_H
#define TAMRIX_EXT_H

#include <stdint.h>

#include "tamrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The extension entry point: kernel = the kernel's loader handle; init
 * non-zero starts the library, 0 shuts it down; argument = the text after the
 * library's name in the host's list (start-up only, may be null).  Non-zero =
 * success. */
typedef int(TM_CALL *TmDllEntry)(void *kernel, int init, const char16_t *argument);

/* Key types of services and host callbacks. */
#define TM_SERVICE_KEY_TYPE (-256)
#define TM_HOST_KEY_TYPE 256

/* --- services of the module library (libMTamrix32W.so) --------------------- */

/* A compiled module: one node per formula, in source order. */
typedef struct TmModuleNode {
    int type;     /* 1 integer, 2 real, 3 complex */
    void *hFor;   /* the formula's handle */
    int run;      /* 1: ExeModule evaluates it */
    struct TmModuleNode *prev;
    struct TmModuleNode *next;
} TmModuleNode;

/* "UseTamrix"(code): 0 release, 1 try to acquire, 2 acquire waiting, 3/4
 * clear/set the user flag, 5 read it. */
typedef int(TM_CALL *TmUseTamrix)(int code);
/* "ComModule"(source, moduleNo in/out, list out, errorStart, errorEnd). */
typedef int(TM_CALL *TmComModule)(const char16_t *source, int *moduleNo, TmModuleNode **list,
                                  int *errorStart, int *errorEnd);
typedef void(TM_CALL *TmIntOut)(int64_t value);
typedef void(TM_CALL *TmRealOut)(double value);
typedef void(TM_CALL *TmComplexOut)(double re, double im);
/* "ExeModule"(list, intOut, realOut, complexOut); each callback may be null. */
typedef void(TM_CALL *TmExeModule)(TmModuleNode *list, TmIntOut intOut, TmRealOut realOut,
                                   TmComplexOut complexOut);
/* "DeleteModule"(moduleNo). */
typedef void(TM_CALL *TmDeleteModule)(int moduleNo);
/* "ExeTmDll32W"(entry, kernel, init, argument) = entry(kernel, init, argument). */
typedef int(TM_CALL *TmExeTmDll32W)(TmDllEntry entry, void *kernel, int init,
                                    const char16_t *argument);

/* --- callbacks a host publishes (type 256) ---------------------------------- */

/* Keys a host publishes for the libraries:
 *   "TmMessage", "MTM_LoadModule", "MTM_MessageBox" (type 256): the callbacks below;
 *   "MTM_Quit" (type 256): a pointer to a byte that is non-zero while the host
 *       shuts down ("UseTamrix" 1 and 2 then answer -1); looked up at start-up;
 *   "MTM_LockKeyErrStr" (type -256): the private key type holding run-error
 *       descriptions (-257), as a number carried in the pointer.  Under that
 *       type a function's description is filed with the function name's UTF-16
 *       bytes as key and a text "#1:reason;#2:reason;..." as value;
 *   "MTM_LockKeyRunInfo" (type -256): the same for function help texts (-258). */

/* "TmMessage": prints one text (no line end added). */
typedef void(TM_CALL *TmMessageFn)(const char16_t *text);
/* "MTM_LoadModule": compiles and files the module a "#USE#" statement names;
 * 0 success, -6 not found or unreadable, -7 a module that uses itself, other
 * values are passed on as the compile result. */
typedef int(TM_CALL *TmLoadModuleFn)(const char16_t *name);
/* "MTM_MessageBox": shows text with caption and style; returns the button. */
typedef int(TM_CALL *TmMessageBoxFn)(const char16_t *text, const char16_t *caption,
                                     int style);

/* --- the graphics library (libOpenTmGl32W.so) and a host ---------------------
 * Keys a host may publish (type 256) for the graphics library's dialogs:
 *   "MTM_SaveSceneName": asks for the file gleSaveScene writes (title, buffer,
 *       its length in characters) -> 1 with a zero-terminated name in the
 *       buffer, 0 when cancelled.  Without it the picture goes to the next
 *       free OpenTmGl-N.bmp of the current directory;
 *   "MTM_ReSetPara": lets the user edit the variables of gleReSetPara (names,
 *       values edited in place, count).  Without it they are listed on
 *       standard error.
 * Service of the graphics library (type -256):
 *   "gleWaitScene": returns once no scene needs the host's formulas any more
 *       (a work-mode window was closed, a frame limit reached); a host calls
 *       it before it deletes the modules a scene draws with. */
typedef int(TM_CALL *TmSaveSceneNameFn)(const char16_t *title, char16_t *buffer, int length);
typedef void(TM_CALL *TmReSetParaFn)(const char16_t **names, double *values, int count);
typedef void(TM_CALL *TmWaitSceneFn)(void);

#ifdef __cplusplus
}
#endif

#endif /* TAMRIX_EXT_H */
