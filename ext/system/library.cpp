#include "library.h"

#include <memory>
#include <new>
#include <string_view>

#include "platform/message_box.h"
#include "script_functions.h"
#include "shell_execute.h"

namespace syslib {

namespace {

Library *g_library = nullptr;

constexpr char16_t kFunctionFailed[] = u"TmSystem 注册函数失败！";
constexpr char16_t kConstantFailed[] = u"TmSystem 注册常量失败！";
// The host's argument that keeps "sys::ShellExecute" from starting anything.
constexpr std::u16string_view kNoShell = u"noshell";

bool find_data_library(Library &lib) {
    if (!lib.data.find(lib.kernel)) return false;
    lib.wideKind = extproto::integer_constant(lib.kernel, u"wchar_s");
    return lib.wideKind != 0;
}

// The object type and its constant: all or nothing.
bool register_object_type(Library &lib) {
    if (!register_formula_type(lib)) return false;
    lib.formulaTypeConstant = lib.formulaType;
    const extproto::ScriptConstant row{extproto::kIntConst, u"sys::tmfor",
                                       &lib.formulaTypeConstant};
    if (lib.registrations.add_constants(lib.kernel, {&row, 1}, kConstantFailed) == 0) return true;
    unregister_formula_type(lib);
    return false;
}

}  // namespace

Library *library() { return g_library; }

int start_library(void *kernel, const char16_t *argument) {
    if (g_library) return 0;  // started already: leave the first start alone
    std::unique_ptr<Library> lib(new (std::nothrow) Library);
    if (!lib) return 0;
    if (!extproto::bind_kernel(kernel,
                               {"GetRunErr", "TestRunErr", "SetRunErr", "IntCom", "RealCom",
                                "ComplexCom", "IntCal", "RealCal", "ComplexCal", "DeleteFor",
                                "SetFunction", "SetConst", "DeleteConstOrFunction", "GetForStr",
                                "GetFor", "IsFor", "InsertKey", "SearchKey", "DeleteKey",
                                "ExMsgWithTamrix"},
                               lib->kernel)) {
        return 0;
    }
    if (!find_data_library(*lib)) {
        return extproto::refuse_without_data_library(u"TmSystem");
    }
    lib->shellEnabled = !(argument && kNoShell == argument);
    // Objects may be created (and so the library asked) as soon as the
    // type exists.
    g_library = lib.get();
    if (!register_object_type(*lib)) {
        g_library = nullptr;
        extproto::release_kernel();
        return 0;
    }
    lib->registrations.add_functions(lib->kernel, integer_functions(), kFunctionFailed);
    lib->registrations.add_constants(lib->kernel, integer_constants(), kConstantFailed);
    lib->registrations.add_functions(lib->kernel, real_functions(), kFunctionFailed);
    lib->registrations.add_constants(lib->kernel, real_constants(), kConstantFailed);
    lib.release();
    return 1;
}

// Undoes start-up in reverse.  Unregistering the object type deletes every
// data object, and with the formula objects their formulas, while the
// library can still be asked.
int stop_library() {
    Library *lib = g_library;
    if (!lib) return 0;
    lib->registrations.remove_all(lib->kernel);
    unregister_formula_type(*lib);
    retry_deferred(*lib);
    reap_children(lib->children);
    g_library = nullptr;
    extproto::release_kernel();
    delete lib;
    return 1;
}

}  // namespace syslib
