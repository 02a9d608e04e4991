// The system library's process-wide state while it is started.
#pragma once

#include <sys/types.h>

#include <vector>

#include "ext/protocol/data_services.h"
#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"
#include "formula_object.h"

namespace syslib {

struct Library {
    extproto::KernelExports kernel;
    extproto::DataServices data;
    int wideKind = 0;      // kind code of string objects ("wchar_s")
    int formulaType = 0;   // the data-library type "sys::tmfor", once registered
    int64_t formulaTypeConstant = 0;
    extproto::Registrations registrations;
    // Formulas whose deletion the kernel refused because they were running.
    std::vector<HeldFormula> deferred;
    // Programs started by "sys::ShellExecute", reaped as they end.
    std::vector<pid_t> children;
    // Off when the host starts the library with the argument "noshell"
    // (fuzzing): "sys::ShellExecute" then starts nothing.
    bool shellEnabled = true;
};

// The started library, or null before start-up and after shutdown.
Library *library();

// Start-up and shutdown behind TmDll32W: non-zero = success.
int start_library(void *kernel, const char16_t *argument);
int stop_library();

}  // namespace syslib
