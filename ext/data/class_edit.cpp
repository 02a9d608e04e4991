#include "class_edit.h"

#include <cstdlib>
#include <cstring>

#include "objects.h"

namespace tmdata {

namespace {

// Moves the first `keep` members into arrays of `capacity` slots (none for
// 0); the rest of the new slots are blank.
bool reallocate(TmDataClassBlock &block, int keep, int capacity) {
    int64_t *values;
    char16_t **names;
    unsigned char *attributes;
    if (!new_member_arrays(capacity, &values, &names, &attributes)) return false;
    if (keep > 0) {
        std::memcpy(values, block.values, sizeof(int64_t) * size_t(keep));
        std::memcpy(names, block.names, sizeof(char16_t *) * size_t(keep));
        std::memcpy(attributes, block.attributes, size_t(keep));
    }
    free_member_arrays(block.values, block.names, block.attributes);
    block.values = values;
    block.names = names;
    block.attributes = attributes;
    block.capacity = capacity;
    return true;
}

}  // namespace

// Members cut off go one at a time, in position order: each slot is blanked
// before its object is deleted, and the class is found again afterwards,
// because that deletion may reach this very class through a cycle.
SetLengthResult set_class_length(Library &lib, uint32_t handle, int length, int capacity) {
    TmDataClassBlock *block = find_class(handle);
    if (!block || length < 0) return SetLengthResult::kNoMemory;
    if (capacity < 0) capacity = length > block->capacity ? length : block->capacity;
    if (capacity < length) return SetLengthResult::kNoMemory;
    const int oldLength = block->length;
    for (int i = length; i < oldLength; ++i) {
        const int64_t value = block->values[i];
        const bool owned = block->attributes[i] == 1;
        std::free(block->names[i]);
        block->names[i] = nullptr;
        block->values[i] = 0;
        block->attributes[i] = 1;
        if (owned && find_object(lib, uint32_t(value))) {
            delete_object_fully(lib, uint32_t(value));
            block = find_class(handle);
            if (!block) return SetLengthResult::kClassGone;
        }
    }
    if (length < block->length) block->length = length;
    if (capacity != block->capacity && !reallocate(*block, block->length, capacity)) {
        return SetLengthResult::kNoMemory;
    }
    for (int i = block->length; i < length; ++i) {
        block->values[i] = 0;
        block->names[i] = nullptr;
        block->attributes[i] = 1;
    }
    block->length = length;
    return SetLengthResult::kDone;
}

}  // namespace tmdata
