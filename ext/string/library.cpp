#include "library.h"

#include <memory>
#include <new>

#include "platform/message_box.h"
#include "script_functions.h"

namespace strlib {

namespace {

Library *g_library = nullptr;

constexpr char16_t kFunctionFailed[] = u"TmString注册函数失败！";

bool find_data_library(Library &lib) {
    if (!lib.data.find(lib.kernel)) return false;
    lib.byteKind = extproto::integer_constant(lib.kernel, u"Uint8_s");
    lib.wideKind = extproto::integer_constant(lib.kernel, u"wchar_s");
    return lib.byteKind != 0 && lib.wideKind != 0;
}

}  // namespace

Library *library() { return g_library; }

int start_library(void *kernel) {
    if (g_library) return 0;  // started already: leave the first start alone
    std::unique_ptr<Library> lib(new (std::nothrow) Library);
    if (!lib) return 0;
    if (!extproto::bind_kernel(kernel,
                               {"GetRunErr", "TestRunErr", "SetRunErr", "RealCom", "RealCal",
                                "SetFunction", "SetConst", "DeleteConstOrFunction", "GetForStr",
                                "InsertKey", "SearchKey", "DeleteKey", "ExMsgWithTamrix"},
                               lib->kernel)) {
        return 0;
    }
    if (!find_data_library(*lib)) {
        return extproto::refuse_without_data_library(u"TmString");
    }
    // The functions must find the library as soon as they are registered.
    g_library = lib.get();
    // A refused function: its full name as the text, the failure as caption.
    lib->registrations.set_failure_box(true, platform::kBoxOk | platform::kBoxIconQuestion);
    lib->registrations.add_functions(lib->kernel, integer_functions(), kFunctionFailed);
    lib->registrations.add_functions(lib->kernel, real_functions(), kFunctionFailed);
    lib.release();
    return 1;
}

// Real functions go first: the registrations are removed last first.
int stop_library() {
    Library *lib = g_library;
    if (!lib) return 0;
    lib->registrations.remove_all(lib->kernel);
    g_library = nullptr;
    extproto::release_kernel();
    delete lib;
    return 1;
}

}  // namespace strlib
