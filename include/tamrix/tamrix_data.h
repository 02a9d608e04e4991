/* Services of the data library (libTmData32W.so) for other extension
 * libraries.  Each is exported under its name and published as a key of type
 * TM_SERVICE_KEY_TYPE (-256) under the same ASCII name, so a library finds it
 * with SearchKey(name, strlen(name), -256) without linking the data library.
 *
 * A data object is named by a 32-bit handle issued by the data library: never
 * 0, carried in the low 32 bits of an integer slot (high bits 0), as the same
 * 8 bytes inside a double in real formulas, and in the real part of a complex
 * value.  Only the low 32 bits identify an object. */
#ifndef TAMRIX_DATA_H
#define TAMRIX_DATA_H

#include <stdbool.h>
#include <stdint.h>

#include "tamrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Kind codes: scalars -1..-12, arrays -13..-24 (kind - 12 of the element's
 * scalar kind), the class kind -25; identifiers of registered types are
 * -256 or lower. */
enum {
    TMD_INT8 = -1, TMD_UINT8 = -2, TMD_INT16 = -3, TMD_UINT16 = -4, TMD_WCHAR = -5,
    TMD_INT32 = -6, TMD_UINT32 = -7, TMD_INT64 = -8, TMD_UINT64 = -9, TMD_REAL32 = -10,
    TMD_REAL64 = -11, TMD_COMPLEX = -12,
    TMD_INT8_S = -13, TMD_UINT8_S = -14, TMD_INT16_S = -15, TMD_UINT16_S = -16,
    TMD_WCHAR_S = -17, TMD_INT32_S = -18, TMD_UINT32_S = -19, TMD_INT64_S = -20,
    TMD_UINT64_S = -21, TMD_REAL32_S = -22, TMD_REAL64_S = -23, TMD_COMPLEX_S = -24,
    TMD_CLASS = -25,
    TMD_END_TYPE = -100
};

/* Payload of an array object.  dims[0] = number of entries of dims (number of
 * dimensions + 2), dims[1] = total element count, dims[2..] = the length of
 * each dimension, outermost first.  buffer holds dims[1] elements in row-major
 * order plus two bytes that always hold a 16-bit zero. */
typedef struct TmDataArray {
    int *dims;
    void *buffer;
} TmDataArray;

/* Payload of a class object: `length` members in use out of `capacity`
 * slots.  names[i] is a zero-terminated string owned by the block or null;
 * values[i] usually a handle; attributes[i] 1 = the member's object is
 * deleted with the class; busy is set while a recursive operation is inside. */
typedef struct TmDataClassBlock {
    int capacity;
    int length;
    char16_t **names;
    int64_t *values;
    unsigned char *attributes;
    unsigned char busy;
} TmDataClassBlock;

/* Functions of an external type (RegTmDataType mode 1). */
typedef void *(TM_CALL *TmDataCreate)(void);
typedef void(TM_CALL *TmDataDestroy)(void *object);
typedef int(TM_CALL *TmDataCopy)(int reserved, void **destination, void **source);

/* "RegTmDataType"(mode, p, q, r): 1 registers an external type (p create, q
 * destroy, r copy or null) and gives its identifier; 2 makes an alias of the
 * identifier *(int *)p; 0 removes the identifier *(int *)p (q: the destroy
 * function given at registration).  0 on failure. */
typedef int(TM_CALL *TmRegTmDataType)(int mode, void *p, void *q, void *r);
/* "IsTmData"(handle, &kind): the object's type identifier and kind, or 0 and
 * kind 0 for anything that is not a live object. */
typedef int(TM_CALL *TmIsTmData)(int64_t handle, int *kind);
/* "NewTmDataArray"(kind, dims, &newDims, &newBuffer): a copy of dims and an
 * element buffer (with its zero terminator) for an array kind, allocated by
 * the data library; false with nothing allocated otherwise. */
typedef bool(TM_CALL *TmNewTmDataArray)(int kind, const int *dims, int **newDims,
                                        void **newBuffer);
/* "DelTmDataArray"(dims, buffer): frees what NewTmDataArray gave; null is fine. */
typedef void(TM_CALL *TmDelTmDataArray)(int *dims, void *buffer);
/* "TmDataClass"(ctx, handle, operation, &capacity, &length, &values, &names,
 * &attributes): 0 read, 1 allocate member arrays, 2 free them, 3 install
 * them, 4 clear the class and install them. */
typedef bool(TM_CALL *TmTmDataClass)(TmCallContext *ctx, int64_t handle, int operation,
                                     int *capacity, int *length, int64_t **values,
                                     char16_t ***names, unsigned char **attributes);
/* "TmDataPayload"(handle): the object's payload (a TmDataArray for arrays, a
 * TmDataClassBlock for classes, the value buffer of a scalar, the external
 * object), or null for anything that is not a live object. */
typedef void *(TM_CALL *TmTmDataPayload)(int64_t handle);

#ifdef __cplusplus
}
#endif

#endif /* TAMRIX_DATA_H */
