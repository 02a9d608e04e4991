// The services other libraries use (exported and published as keys of type
// -256), and the kernel's free-variable callback.  None lets an exception out.
#pragma once

#include <cstdint>

#include "tamrix/tamrix_data.h"

namespace tmdata {

int TM_CALL service_reg_type(int mode, void *p, void *q, void *r);
int TM_CALL service_is_data(int64_t handle, int *kind);
bool TM_CALL service_new_array(int kind, const int *dims, int **newDims, void **newBuffer);
void TM_CALL service_del_array(int *dims, void *buffer);
bool TM_CALL service_class(TmCallContext *ctx, int64_t handle, int operation, int *capacity,
                           int *length, int64_t **values, char16_t ***names,
                           unsigned char **attributes);
void *TM_CALL service_payload(int64_t handle);

// Called by the kernel with the free variables of a formula it discards.
void TM_CALL release_free_variables(void *values, int type, void *again, int count);

}  // namespace tmdata
