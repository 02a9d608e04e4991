#include "objects.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "kinds.h"
#include "limits.h"
#include "native_stack.h"

namespace tmdata {

namespace {

void TM_CALL object_type_token() {}

void delete_key(Library &lib, uint32_t handle) {
    lib.kernel.DeletePrivateKey(&handle, 4, lib.objectKeyType, release_object);
}

}  // namespace

TmDataClassBlock *find_class(uint32_t handle) {
    ObjectEntry *e = find_object(handle);
    return e && e->kind == TMD_CLASS ? static_cast<TmDataClassBlock *>(e->payload) : nullptr;
}

uint32_t register_object(Library &lib, int kind, int typeId, void (*destroy)(void *),
                         void *payload) {
    auto *entry = new (std::nothrow) ObjectEntry{kind, typeId, destroy, payload, 0};
    uint32_t handle = lib.handles.issue();
    if (entry && lib.handles.add(handle, entry)) {
        entry->handle = handle;
        void *existing = nullptr;  // never replace a key
        if (lib.kernel.InsertKey(&handle, 4, lib.objectKeyType, entry, release_object,
                                 &existing) == 0) {
            return handle;
        }
        lib.handles.remove(handle);
    }
    delete entry;
    if (destroy) destroy(payload);
    return 0;
}

void TM_CALL release_object(void *value) {
    auto *entry = static_cast<ObjectEntry *>(value);
    if (!entry) return;
    if (Library *lib = library()) lib->handles.remove(entry->handle);
    if (entry->destroy) entry->destroy(entry->payload);
    delete entry;
}

void delete_object(Library &lib, uint32_t handle) {
    // Deep nesting is deferred, and so is any nesting near the end of the
    // native stack (a formula may delete from deep recursion of its own).
    if (++lib.deletionDepth >= kDeferDepth || (lib.deletionDepth > 1 && native_stack_low())) {
        try {
            lib.deferred.push_back(handle);
        } catch (const std::bad_alloc &) {
            delete_key(lib, handle);  // no room to defer: one level deeper it is
        }
    } else {
        delete_key(lib, handle);
    }
    --lib.deletionDepth;
}

void drain_deferred(Library &lib) {
    while (!lib.deferred.empty()) {
        uint32_t handle = lib.deferred.front();
        lib.deferred.pop_front();
        delete_object(lib, handle);
    }
}

void delete_object_fully(Library &lib, uint32_t handle) {
    delete_object(lib, handle);
    drain_deferred(lib);
}

// Unlocking the type removes every object key and so every object; class
// destruction leaves members alone meanwhile (they go anyway).
bool delete_all_objects(Library &lib) {
    ++lib.clearCount;
    lib.clearing = true;
    lib.kernel.LockKeyType(lib.objectKeyType, nullptr, object_type_token);
    lib.handles.forget_cache();
    lib.deferred.clear();
    lib.clearing = false;
    lib.liveCount = 0;
    return lib.kernel.LockKeyType(lib.objectKeyType, release_object, object_type_token) == 0;
}

TmUnlockToken object_key_token() { return object_type_token; }

// --- payloads -------------------------------------------------------------------

void *new_scalar_payload(int kind) { return std::calloc(1, element_size(kind)); }

TmDataArray *new_array_payload(int kind, const int *dims) {
    size_t size = element_size(kind);
    if (!is_array_kind(kind) || !dims || dims[0] < 3 || dims[1] < 1) return nullptr;
    if (size_t(dims[1]) > (kMaxPayloadBytes - 2) / size) return nullptr;
    auto *block = static_cast<TmDataArray *>(std::malloc(sizeof(TmDataArray)));
    int *vector = static_cast<int *>(std::malloc(sizeof(int) * size_t(dims[0])));
    void *buffer = std::calloc(1, size * size_t(dims[1]) + 2);
    if (!block || !vector || !buffer) {
        std::free(block);
        std::free(vector);
        std::free(buffer);
        return nullptr;
    }
    std::memcpy(vector, dims, sizeof(int) * size_t(dims[0]));
    block->dims = vector;
    block->buffer = buffer;
    return block;
}

bool new_member_arrays(int capacity, int64_t **values, char16_t ***names,
                       unsigned char **attributes) {
    *values = nullptr;
    *names = nullptr;
    *attributes = nullptr;
    if (capacity < 0 || size_t(capacity) > kMaxPayloadBytes / kClassSlotBytes) return false;
    if (capacity == 0) return true;
    auto n = size_t(capacity);
    *values = static_cast<int64_t *>(std::calloc(n, sizeof(int64_t)));
    *names = static_cast<char16_t **>(std::calloc(n, sizeof(char16_t *)));
    *attributes = static_cast<unsigned char *>(std::malloc(n));
    if (!*values || !*names || !*attributes) {
        free_member_arrays(*values, *names, *attributes);
        *values = nullptr;
        *names = nullptr;
        *attributes = nullptr;
        return false;
    }
    std::memset(*attributes, 1, n);
    return true;
}

void free_member_arrays(int64_t *values, char16_t **names, unsigned char *attributes) {
    std::free(values);
    std::free(names);
    std::free(attributes);
}

TmDataClassBlock *new_class_payload(int length, int capacity) {
    if (length < 0 || capacity < length) return nullptr;
    auto *block = static_cast<TmDataClassBlock *>(std::calloc(1, sizeof(TmDataClassBlock)));
    if (!block) return nullptr;
    if (!new_member_arrays(capacity, &block->values, &block->names, &block->attributes)) {
        std::free(block);
        return nullptr;
    }
    block->capacity = capacity;
    block->length = length;
    return block;
}

void destroy_plain(void *payload) { std::free(payload); }

void destroy_array(void *payload) {
    auto *block = static_cast<TmDataArray *>(payload);
    if (!block) return;
    std::free(block->dims);
    std::free(block->buffer);
    std::free(block);
}

// The busy flag marks the class as being destroyed: a member class that owns
// it back finds it busy and leaves it alone, which ends cycles.
void destroy_class(void *payload) {
    auto *block = static_cast<TmDataClassBlock *>(payload);
    if (!block) return;
    block->busy = 1;
    Library *lib = library();
    if (lib && !lib->clearing) {
        for (int i = 0; i < block->length; ++i) {
            if (block->attributes[i] != 1) continue;
            auto handle = uint32_t(block->values[i]);
            ObjectEntry *member = find_object(*lib, handle);
            if (!member) continue;
            if (member->kind == TMD_CLASS &&
                static_cast<TmDataClassBlock *>(member->payload)->busy) {
                continue;
            }
            delete_object(*lib, handle);
        }
    }
    for (int i = 0; i < block->capacity; ++i) std::free(block->names ? block->names[i] : nullptr);
    free_member_arrays(block->values, block->names, block->attributes);
    std::free(block);
}

char16_t *copy_name(const char16_t *name) {
    if (!name) return nullptr;
    size_t n = 0;
    while (name[n]) ++n;
    auto *copy = static_cast<char16_t *>(std::malloc((n + 1) * sizeof(char16_t)));
    if (copy) std::memcpy(copy, name, (n + 1) * sizeof(char16_t));
    return copy;
}

}  // namespace tmdata
