#include "creation.h"

#include "kinds.h"
#include "objects.h"

namespace tmdata {

uint32_t create_scalar(Library &lib, int kind, int typeId) {
    void *payload = new_scalar_payload(kind);
    return payload ? register_object(lib, kind, typeId, destroy_plain, payload) : 0;
}

uint32_t create_array(Library &lib, int kind, int typeId, const int *dims) {
    TmDataArray *payload = new_array_payload(kind, dims);
    return payload ? register_object(lib, kind, typeId, destroy_array, payload) : 0;
}

uint32_t create_class(Library &lib, int length, int capacity, int typeId) {
    TmDataClassBlock *payload = new_class_payload(length, capacity);
    return payload ? register_object(lib, TMD_CLASS, typeId, destroy_class, payload) : 0;
}

uint32_t create_external(Library &lib, const TypeEntry &type, int kind, int typeId) {
    if (!type.create) return 0;
    void *object = type.create();
    if (!object) return 0;
    return register_object(lib, kind, typeId, reinterpret_cast<void (*)(void *)>(type.destroy),
                           object);
}

TmDataArray *array_of(uint32_t handle) {
    ObjectEntry *e = find_object(handle);
    return e && is_array_kind(e->kind) ? static_cast<TmDataArray *>(e->payload) : nullptr;
}

}  // namespace tmdata
