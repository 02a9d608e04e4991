// Data objects: filing them in the key registry, finding them by handle,
// deleting them (with the deferred list), and the payloads of the built-in
// kinds.
#pragma once

#include <cstdint>

#include "handle_table.h"
#include "library.h"
#include "tamrix/tamrix_data.h"

namespace tmdata {

// The live entry a handle names, or null.
inline ObjectEntry *find_object(const Library &lib, uint32_t handle) {
    return const_cast<Library &>(lib).handles.find(handle);
}
inline ObjectEntry *find_object(uint32_t handle) {
    Library *lib = library();
    return lib ? lib->handles.find(handle) : nullptr;
}
// The class block a handle names, or null when it names no live class.
TmDataClassBlock *find_class(uint32_t handle);

// Files a payload as a new object; on any refusal the payload is destroyed
// and 0 returned.  Does not count the object (the script functions do).
uint32_t register_object(Library &lib, int kind, int typeId, void (*destroy)(void *),
                         void *payload);

// The key delete function of object entries: the one place an object ends.
void TM_CALL release_object(void *entry);

// Deletes the object a handle names (nothing when none), deferring it when
// deletions nest kDeferDepth deep.  Top-level callers drain afterwards.
void delete_object(Library &lib, uint32_t handle);
void drain_deferred(Library &lib);
// Both: what the script function delete does.
void delete_object_fully(Library &lib, uint32_t handle);

// Deletes every object at once (DelAllTMD and unregistering a type): false
// when the object key type could not be locked again.
bool delete_all_objects(Library &lib);
// The unlock token the object key type is locked with.
TmUnlockToken object_key_token();

// Payloads of the built-in kinds, allocated zeroed; null when refused.
void *new_scalar_payload(int kind);
TmDataArray *new_array_payload(int kind, const int *dims);
TmDataClassBlock *new_class_payload(int length, int capacity);
void destroy_plain(void *payload);
void destroy_array(void *payload);
void destroy_class(void *payload);

// Member arrays of a class for `capacity` slots: values 0, names null,
// attributes 1.  False (nothing allocated) when refused.
bool new_member_arrays(int capacity, int64_t **values, char16_t ***names,
                       unsigned char **attributes);
void free_member_arrays(int64_t *values, char16_t **names, unsigned char *attributes);

// A copy of a zero-terminated string in the library's heap, or null.
char16_t *copy_name(const char16_t *name);

}  // namespace tmdata
