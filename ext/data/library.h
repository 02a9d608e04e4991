// The data library's process-wide state while it is started.  The kernel
// evaluates on one thread at a time, so none of this is locked.
#pragma once

#include <cstdint>
#include <deque>

#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"
#include "ext/protocol/services.h"
#include "handle_table.h"
#include "limits.h"

namespace tmdata {

struct Library {
    extproto::KernelExports kernel;
    extproto::ServiceSet services;
    extproto::Registrations registrations;
    int objectKeyType = 0;  // object entries, keyed by their handle's 4 bytes
    int typeKeyType = 0;    // type entries, keyed by the identifier's 4 bytes
    int nextTypeId = -256;
    int objectLimit = kDefaultObjectLimit;
    int recursionLimit = kDefaultRecursionLimit;
    int64_t liveCount = 0;   // creations since the last clear or recount
    int64_t clearCount = 0;  // times every object was deleted at once
    int deletionDepth = 0;
    std::deque<uint32_t> deferred;  // deletions postponed below kDeferDepth
    bool clearing = false;          // every object is being deleted at once
    const int *runErrorType = nullptr;  // the kernel's pending run-error type
    HandleTable handles;
};

// The started library, or null outside start-up and shutdown.  Read on every
// script-function call, so it is an inline variable, not a call.
inline Library *g_library = nullptr;
inline Library *library() { return g_library; }

// Start-up and shutdown behind TmDll32W: 1 success, 0 failure.
int start_library(void *kernel);
int stop_library();

}  // namespace tmdata
