// The kernel's exports as a host sees them.
//
// Hosts never link libTamrix32W.so: they load it through the platform loader
// and resolve each export by its plain name, so a host built once keeps
// working with any kernel build that carries the same exports.
#pragma once

#include <string>

#include "platform/loader.h"
#include "tamrix/tamrix.h"

namespace host {

struct KernelApi {
    platform::LibraryHandle library = nullptr;
    decltype(&::TamrixVer) TamrixVer = nullptr;
    decltype(&::InitTamrix) InitTamrix = nullptr;
    decltype(&::FreeTamrix) FreeTamrix = nullptr;
    decltype(&::RealCom) RealCom = nullptr;
    decltype(&::RealCal) RealCal = nullptr;
    decltype(&::IntCom) IntCom = nullptr;
    decltype(&::IntCal) IntCal = nullptr;
    decltype(&::ComplexCom) ComplexCom = nullptr;
    decltype(&::ComplexCal) ComplexCal = nullptr;
    decltype(&::GetRunErr) GetRunErr = nullptr;
    decltype(&::TestRunErr) TestRunErr = nullptr;
    decltype(&::SetFunction) SetFunction = nullptr;
    decltype(&::DeleteFor) DeleteFor = nullptr;
};

// Loads the kernel by its platform name ("Tamrix32W.dll") and resolves every
// export above.  On failure nothing stays loaded and *error names the library
// or the missing export.
bool load_kernel(KernelApi &api, std::string *error);

// Closes the library; the caller has called FreeTamrix before.
void unload_kernel(KernelApi &api);

}  // namespace host
