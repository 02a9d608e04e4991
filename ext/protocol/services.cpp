#include "services.h"

#include <climits>
#include <new>

#include "room_for_one.h"
#include "tamrix/tamrix_ext.h"

namespace extproto {

void TM_CALL empty_delete(void *) {}

namespace {

bool usable_name(std::string_view name) { return !name.empty() && name.size() <= INT_MAX; }

}  // namespace

void *find_service(const KernelExports &kernel, std::string_view name) {
    if (!kernel.SearchKey || !usable_name(name)) return nullptr;
    return kernel.SearchKey(name.data(), int(name.size()), TM_SERVICE_KEY_TYPE);
}

int ServiceSet::publish(const KernelExports &kernel, std::string_view name, void *entry) {
    constexpr int kFailed = 6;
    if (!kernel.InsertKey || !usable_name(name) || !entry) return kFailed;
    try {
        room_for_one(names_);  // cannot fail after the key is in
    } catch (const std::bad_alloc &) {
        return kFailed;
    }
    void *existing = nullptr;  // null: never replace another library's service
    int rc = kernel.InsertKey(name.data(), int(name.size()), TM_SERVICE_KEY_TYPE, entry,
                              empty_delete, &existing);
    if (rc == 0) names_.emplace_back(name);
    return rc;
}

void ServiceSet::withdraw_all(const KernelExports &kernel) {
    while (!names_.empty()) {
        const std::string &name = names_.back();
        if (kernel.DeletePrivateKey) {
            kernel.DeletePrivateKey(name.data(), int(name.size()), TM_SERVICE_KEY_TYPE,
                                    empty_delete);
        }
        names_.pop_back();
    }
}

}  // namespace extproto
