// The library's exports: the extension entry point and the services, under
// their plain names.
#include "library.h"
#include "services.h"

#define TMDATA_EXPORT extern "C" __attribute__((visibility("default")))

TMDATA_EXPORT int TM_CALL TmDll32W(void *kernel, int init, const char16_t *) {
    try {
        return init ? tmdata::start_library(kernel) : tmdata::stop_library();
    } catch (...) {
        return 0;
    }
}

TMDATA_EXPORT int TM_CALL RegTmDataType(int mode, void *p, void *q, void *r) {
    return tmdata::service_reg_type(mode, p, q, r);
}
TMDATA_EXPORT int TM_CALL IsTmData(int64_t handle, int *kind) {
    return tmdata::service_is_data(handle, kind);
}
TMDATA_EXPORT bool TM_CALL NewTmDataArray(int kind, const int *dims, int **newDims,
                                          void **newBuffer) {
    return tmdata::service_new_array(kind, dims, newDims, newBuffer);
}
TMDATA_EXPORT void TM_CALL DelTmDataArray(int *dims, void *buffer) {
    tmdata::service_del_array(dims, buffer);
}
TMDATA_EXPORT bool TM_CALL TmDataClass(TmCallContext *ctx, int64_t handle, int operation,
                                       int *capacity, int *length, int64_t **values,
                                       char16_t ***names, unsigned char **attributes) {
    return tmdata::service_class(ctx, handle, operation, capacity, length, values, names,
                                 attributes);
}
TMDATA_EXPORT void *TM_CALL TmDataPayload(int64_t handle) {
    return tmdata::service_payload(handle);
}
