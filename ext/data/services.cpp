#include "services.h"

#include <cstdlib>
#include <cstring>

#include "array_writes.h"
#include "class_edit.h"
#include "ext/protocol/real_slots.h"
#include "kinds.h"
#include "library.h"
#include "limits.h"
#include "objects.h"
#include "types.h"

namespace tmdata {

namespace {

// A dimension vector another library hands in: at least one dimension, a
// length that fits, a count the allocation cap allows.
bool usable_dims(int kind, const int *dims) {
    if (!dims || dims[0] < 3 || dims[0] > 1 << 20 || dims[1] < 0) return false;
    return size_t(dims[1]) <= (kMaxPayloadBytes - 2) / element_size(kind);
}

bool install(TmDataClassBlock &block, int capacity, int length, int64_t *values,
             char16_t **names, unsigned char *attributes) {
    if (capacity < 0 || length < 0 || length > capacity) return false;
    if (capacity > 0 && (!values || !names || !attributes)) return false;
    free_member_arrays(block.values, block.names, block.attributes);
    block.values = values;
    block.names = names;
    block.attributes = attributes;
    block.capacity = capacity;
    block.length = length;
    return true;
}

}  // namespace

int TM_CALL service_reg_type(int mode, void *p, void *q, void *r) {
    Library *lib = library();
    if (!lib) return 0;
    try {
        switch (mode) {
        case 1: return register_type(*lib, p, q, r);
        case 2: return p ? alias_type(*lib, *static_cast<int *>(p)) : 0;
        case 0: return p ? unregister_type(*lib, *static_cast<int *>(p), q, false) : 0;
        default: return 0;
        }
    } catch (...) {
        return 0;
    }
}

int TM_CALL service_is_data(int64_t handle, int *kind) {
    ObjectEntry *e = find_object(uint32_t(handle));
    if (kind) *kind = e ? e->kind : 0;
    return e ? e->typeId : 0;
}

bool TM_CALL service_new_array(int kind, const int *dims, int **newDims, void **newBuffer) {
    if (!is_array_kind(kind) || !usable_dims(kind, dims) || !newDims || !newBuffer) return false;
    auto *vector = static_cast<int *>(std::malloc(sizeof(int) * size_t(dims[0])));
    const size_t bytes = element_size(kind) * size_t(dims[1]);
    auto *buffer = static_cast<unsigned char *>(std::malloc(bytes + 2));
    if (!vector || !buffer) {
        std::free(vector);
        std::free(buffer);
        return false;
    }
    std::memcpy(vector, dims, sizeof(int) * size_t(dims[0]));
    buffer[bytes] = 0;
    buffer[bytes + 1] = 0;
    *newDims = vector;
    *newBuffer = buffer;
    return true;
}

void TM_CALL service_del_array(int *dims, void *buffer) {
    std::free(dims);
    std::free(buffer);
}

// Operation 0 is meant to trust its caller; here every operation on a
// handle first finds a live class, so a wrong handle gives false instead of
// reading foreign memory.
bool TM_CALL service_class(TmCallContext *, int64_t handle, int operation, int *capacity,
                           int *length, int64_t **values, char16_t ***names,
                           unsigned char **attributes) {
    Library *lib = library();
    if (!lib || !capacity || !length || !values || !names || !attributes) return false;
    try {
        const auto h = uint32_t(handle);
        switch (operation) {
        case 0: {
            TmDataClassBlock *block = find_class(h);
            if (!block) return false;
            *capacity = block->capacity;
            *length = block->length;
            *values = block->values;
            *names = block->names;
            *attributes = block->attributes;
            return true;
        }
        case 1: return new_member_arrays(*capacity, values, names, attributes);
        case 2:
            free_member_arrays(*values, *names, *attributes);
            return true;
        case 3: {
            TmDataClassBlock *block = find_class(h);
            return block && install(*block, *capacity, *length, *values, *names, *attributes);
        }
        case 4: {
            if (!find_class(h)) return false;
            if (set_class_length(*lib, h, 0, 0) != SetLengthResult::kDone) return false;
            TmDataClassBlock *block = find_class(h);
            return block && install(*block, *capacity, *length, *values, *names, *attributes);
        }
        default: return false;
        }
    } catch (...) {
        return false;
    }
}

void *TM_CALL service_payload(int64_t handle) {
    note_array_write();  // the caller may write into it
    ObjectEntry *e = find_object(uint32_t(handle));
    return e ? e->payload : nullptr;
}

void TM_CALL release_free_variables(void *values, int type, void *, int count) {
    Library *lib = library();
    if (!lib || !values) return;
    try {
        for (int i = 0; i < count; ++i) {
            uint32_t handle = 0;
            if (type == TM_INTEGER) {
                handle = uint32_t(static_cast<int64_t *>(values)[i]);
            } else if (type == TM_REAL) {
                handle = extproto::real_slot_handle(static_cast<double *>(values)[i]);
            } else if (type == TM_COMPLEX) {
                handle = extproto::real_slot_handle(static_cast<TmComplex *>(values)[i].re);
            }
            if (find_object(*lib, handle)) delete_object_fully(*lib, handle);
        }
    } catch (...) {
    }
}

}  // namespace tmdata
