// Services between libraries: entry points published as private keys
// (type -256) under ASCII names.  The owner is identified by its delete
// function, which does nothing (the entry point is not owned data); each
// library compiles this helper in, so each has its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kernel_binding.h"

namespace extproto {

// The delete function that marks this library's services.
void TM_CALL empty_delete(void *value);

// The entry point another library published under `name`, or null.
void *find_service(const KernelExports &kernel, std::string_view name);

// Services this library published, withdrawn again in reverse order.
class ServiceSet {
public:
    // InsertKey's result: 0 published; 1 the name is taken (nothing changed);
    // anything else a failure.  Only a published service is remembered.
    int publish(const KernelExports &kernel, std::string_view name, void *entry);
    void withdraw_all(const KernelExports &kernel);
    size_t size() const { return names_.size(); }

private:
    std::vector<std::string> names_;
};

}  // namespace extproto
