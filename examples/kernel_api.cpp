#include "kernel_api.h"

namespace host {
namespace {

// Resolves one export into its typed slot; false (with the name in *error)
// when the library lacks it.
template <typename Function>
bool resolve(platform::LibraryHandle library, const char *name, Function &slot,
             std::string *error) {
    if (platform::find_function(library, name, slot)) return true;
    if (error) *error = std::string("the kernel library has no export ") + name;
    return false;
}

}  // namespace

bool load_kernel(KernelApi &api, std::string *error) {
    api = KernelApi{};
    std::string load_error;
    platform::LibraryHandle library = platform::load_library("Tamrix32W.dll", &load_error);
    if (!library) {
        if (error) *error = "cannot load the kernel library: " + load_error;
        return false;
    }
    api.library = library;
    bool complete = resolve(library, "TamrixVer", api.TamrixVer, error) &&
                    resolve(library, "InitTamrix", api.InitTamrix, error) &&
                    resolve(library, "FreeTamrix", api.FreeTamrix, error) &&
                    resolve(library, "RealCom", api.RealCom, error) &&
                    resolve(library, "RealCal", api.RealCal, error) &&
                    resolve(library, "IntCom", api.IntCom, error) &&
                    resolve(library, "IntCal", api.IntCal, error) &&
                    resolve(library, "ComplexCom", api.ComplexCom, error) &&
                    resolve(library, "ComplexCal", api.ComplexCal, error) &&
                    resolve(library, "GetRunErr", api.GetRunErr, error) &&
                    resolve(library, "TestRunErr", api.TestRunErr, error) &&
                    resolve(library, "SetFunction", api.SetFunction, error) &&
                    resolve(library, "DeleteFor", api.DeleteFor, error);
    if (complete) return true;
    unload_kernel(api);
    return false;
}

void unload_kernel(KernelApi &api) {
    platform::close_library(api.library);
    api = KernelApi{};
}

}  // namespace host
