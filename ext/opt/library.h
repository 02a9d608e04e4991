// The optimisation library's process-wide state while it is started.
#pragma once

#include "ext/protocol/data_services.h"
#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"

namespace optlib {

struct Library {
    extproto::KernelExports kernel;
    extproto::DataServices data;
    // Kind code of the arrays that carry points, bounds and data
    // ("real64_s"), read from the data library's constant at start-up.
    int realArrayKind = 0;
    extproto::Registrations registrations;
};

// The started library, or null before start-up and after shutdown.
Library *library();

// Start-up and shutdown behind TmDll32W: non-zero = success.
int start_library(void *kernel);
int stop_library();

}  // namespace optlib
