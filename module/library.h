// The module library's process-wide state while it is started.
#pragma once

#include <atomic>
#include <unordered_map>
#include <vector>

#include "ext/protocol/kernel_binding.h"
#include "ext/protocol/registrations.h"
#include "ext/protocol/services.h"
#include "module_numbers.h"
#include "tamrix/tamrix_ext.h"

namespace modlib {

// What the library knows of a module it filed: the numbers it holds for it,
// the main number first (the key of its list), then its sub-modules.
struct ModuleInfo {
    std::vector<int> numbers;
};

struct Library {
    extproto::KernelExports kernel;
    extproto::ServiceSet services;
    extproto::Registrations registrations;
    int keyType = 0;  // the private type the module lists are filed under
    // The host's quit byte ("MTM_Quit"), or null: never quitting.
    const volatile unsigned char *quit = nullptr;
    // Written by script functions while a module runs.
    std::atomic<bool> talk{true};
    std::atomic<bool> stop{false};
    ModuleNumbers numbers;
    // Live modules by their first node: lists handed in by a host are only
    // walked when they are known here.
    std::unordered_map<TmModuleNode *, ModuleInfo> modules;
    int compileDepth = 0;  // nested compiles through "#USE#"
};

// The started library, or null before start-up and after shutdown.
Library *library();
void set_library(Library *lib);

// The host's quit byte while started, else null.
const volatile unsigned char *quit_byte();

// Start-up and shutdown behind TmDll32W: non-zero = success.
int start_library(void *kernel);
int stop_library();

}  // namespace modlib
