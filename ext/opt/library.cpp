#include "library.h"

#include <memory>
#include <new>

#include "platform/message_box.h"
#include "script_functions.h"

namespace optlib {

namespace {

Library *g_library = nullptr;

constexpr char16_t kFunctionFailed[] = u"TmOpt 注册函数失败！";
constexpr char16_t kConstantFailed[] = u"TmOpt 注册常量失败！";

bool find_data_library(Library &lib) {
    if (!lib.data.find(lib.kernel)) return false;
    lib.realArrayKind = extproto::integer_constant(lib.kernel, u"real64_s");
    return lib.realArrayKind != 0;
}

}  // namespace

Library *library() { return g_library; }

int start_library(void *kernel) {
    if (g_library) return 0;  // started already: leave the first start alone
    std::unique_ptr<Library> lib(new (std::nothrow) Library);
    if (!lib) return 0;
    if (!extproto::bind_kernel(kernel,
                               {"TestRunErr", "SetRunErr", "RealCal", "GetFor", "GetForStr",
                                "SetFunction", "SetConst", "DeleteConstOrFunction", "SearchKey",
                                "ExMsgWithTamrix"},
                               lib->kernel)) {
        return 0;
    }
    if (!find_data_library(*lib)) {
        return extproto::refuse_without_data_library(u"TmOpt");
    }
    // The functions must find the library as soon as they are registered.
    g_library = lib.get();
    lib->registrations.add_functions(lib->kernel, real_functions(), kFunctionFailed);
    lib->registrations.add_constants(lib->kernel, real_constants(), kConstantFailed);
    lib.release();
    return 1;
}

int stop_library() {
    Library *lib = g_library;
    if (!lib) return 0;
    lib->registrations.remove_all(lib->kernel);
    g_library = nullptr;
    extproto::release_kernel();
    delete lib;
    return 1;
}

}  // namespace optlib
