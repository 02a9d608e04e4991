// The string library's process-wide state while it is started.
#pragma once

#include "ext/protocol/data_services.h"
#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"

namespace strlib {

struct Library {
    extproto::KernelExports kernel;
    extproto::DataServices data;
    // Kind codes of byte and wide strings, read from the data library's
    // constants "Uint8_s" and "wchar_s" at start-up.
    int byteKind = 0;
    int wideKind = 0;
    extproto::Registrations registrations;
};

// The started library, or null before start-up and after shutdown.
Library *library();

// Start-up and shutdown behind TmDll32W: non-zero = success.
int start_library(void *kernel);
int stop_library();

}  // namespace strlib
