#include "real_arrays.h"

#include <cstring>

#include "ext/protocol/real_slots.h"

namespace optlib {

namespace {

// The elements of the real64_s array a slot names, and their count.
double *elements(const Library &lib, double slot, size_t *count) {
    const uint32_t handle = extproto::real_slot_handle(slot);
    int kind = 0;
    if (handle == 0 || lib.data.isData(int64_t(handle), &kind) == 0 || kind != lib.realArrayKind)
        return nullptr;
    auto *block = static_cast<const TmDataArray *>(lib.data.payload(int64_t(handle)));
    if (!block || !block->dims || !block->buffer || block->dims[1] <= 0) return nullptr;
    *count = size_t(block->dims[1]);
    return static_cast<double *>(block->buffer);
}

}  // namespace

bool read_real_array(const Library &lib, double slot, std::vector<double> *out) {
    size_t count = 0;
    const double *values = elements(lib, slot, &count);
    if (!values) return false;
    out->assign(values, values + count);
    return true;
}

bool write_real_array(const Library &lib, double slot, const std::vector<double> &values) {
    size_t count = 0;
    double *target = elements(lib, slot, &count);
    if (!target || count != values.size()) return false;
    std::memcpy(target, values.data(), count * sizeof(double));
    return true;
}

}  // namespace optlib
