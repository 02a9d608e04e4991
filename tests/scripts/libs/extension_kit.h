// What the tiny test extension libraries share: the few kernel exports they
// use, bound by name from the kernel handle the host passes to TmDll32W.
#pragma once

#include <cstring>

#include "platform/loader.h"
#include "tamrix/tamrix_ext.h"

#define TEST_EXTENSION_EXPORT extern "C" __attribute__((visibility("default")))

namespace test_ext {

struct Kernel {
    decltype(&::SetFunction) SetFunction = nullptr;
    decltype(&::DeleteConstOrFunction) DeleteConstOrFunction = nullptr;
    decltype(&::InsertKey) InsertKey = nullptr;
    decltype(&::SearchKey) SearchKey = nullptr;
    decltype(&::DeletePrivateKey) DeletePrivateKey = nullptr;

    bool bind(void *kernel) {
        SetFunction = reinterpret_cast<decltype(SetFunction)>(
            platform::find_symbol(kernel, "SetFunction"));
        DeleteConstOrFunction = reinterpret_cast<decltype(DeleteConstOrFunction)>(
            platform::find_symbol(kernel, "DeleteConstOrFunction"));
        InsertKey = reinterpret_cast<decltype(InsertKey)>(
            platform::find_symbol(kernel, "InsertKey"));
        SearchKey = reinterpret_cast<decltype(SearchKey)>(
            platform::find_symbol(kernel, "SearchKey"));
        DeletePrivateKey = reinterpret_cast<decltype(DeletePrivateKey)>(
            platform::find_symbol(kernel, "DeletePrivateKey"));
        return SetFunction && DeleteConstOrFunction && InsertKey && SearchKey &&
               DeletePrivateKey;
    }
};

// The service every well-behaved test library publishes; a second library
// publishing it finds the name taken.
constexpr const char *kServiceName = "TestExtService";
inline int service_name_length() { return int(std::strlen(kServiceName)); }

inline void TM_CALL keep_value(void *) {}

}  // namespace test_ext
