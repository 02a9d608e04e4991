#include "library.h"

#include <atomic>
#include <memory>
#include <new>

#include "execute_module.h"
#include "ext/protocol/key_types.h"
#include "module_list.h"
#include "services.h"
#include "workspace_lock.h"

namespace modlib {

namespace {

std::atomic<Library *> g_library{nullptr};
// Kept apart from the library object: "UseTamrix" may be called by a host
// thread while another thread shuts the library down.
std::atomic<const volatile unsigned char *> g_quit{nullptr};

constexpr char kQuitKey[] = "MTM_Quit";

void TM_CALL key_type_token() {}

void *address(auto function) { return reinterpret_cast<void *>(function); }

bool publish_services(Library &lib) {
    const struct {
        const char *name;
        void *entry;
    } services[] = {
        {"UseTamrix", address(service_use_tamrix)},
        {"ComModule", address(service_com_module)},
        {"ExeModule", address(service_exe_module)},
        {"DeleteModule", address(service_delete_module)},
        {"ExeTmDll32W", address(service_exe_tmdll)},
    };
    for (const auto &service : services) {
        if (lib.services.publish(lib.kernel, service.name, service.entry) != 0) {
            lib.services.withdraw_all(lib.kernel);
            return false;
        }
    }
    return true;
}

const volatile unsigned char *find_quit_byte(const extproto::KernelExports &kernel) {
    return static_cast<const volatile unsigned char *>(
        kernel.SearchKey(kQuitKey, int(sizeof kQuitKey - 1), TM_HOST_KEY_TYPE));
}

}  // namespace

Library *library() { return g_library.load(); }
void set_library(Library *lib) { g_library.store(lib); }
const volatile unsigned char *quit_byte() { return g_quit.load(); }

// A second start while started finds its own services in place and gives up
// before it has changed anything of the first.
int start_library(void *kernel) {
    std::unique_ptr<Library> lib(new (std::nothrow) Library);
    if (!lib) return 0;
    const bool first = library() == nullptr;
    if (!extproto::bind_kernel(kernel,
                               {"TamrixVer", "RealCom", "IntCom", "ComplexCom", "RealCal", "IntCal",
                                "ComplexCal", "GetRunErr", "SetRunErr", "SetFunction",
                                "DeleteConstOrFunction", "DeleteFor", "InsertKey", "SearchKey",
                                "DeletePrivateKey", "LockKeyType", "LockModule", "ExMsgWithTamrix"},
                               lib->kernel)) {
        return 0;
    }
    if (!publish_services(*lib)) {
        if (first) extproto::release_kernel();
        return 0;
    }
    lib->keyType = extproto::lock_private_key_type(lib->kernel, delete_module_list, key_type_token);
    if (lib->keyType == 0) {
        lib->services.withdraw_all(lib->kernel);
        if (first) extproto::release_kernel();
        return 0;
    }
    lib->registrations.add_functions(lib->kernel, script_functions(), u"MTamrix32注册函数失败！");
    lib->quit = find_quit_byte(lib->kernel);
    g_quit.store(lib->quit);
    workspace_lock().reset_user_flag();
    set_library(lib.release());
    return 1;
}

// Undoes start-up in reverse.  The module lists go with the key type, while
// the script functions their formulas may call are still registered.
int stop_library() {
    Library *lib = library();
    if (!lib) return 0;
    workspace_lock().wait_until_idle();
    extproto::unlock_private_key_type(lib->kernel, lib->keyType, key_type_token);
    lib->services.withdraw_all(lib->kernel);
    lib->registrations.remove_all(lib->kernel);
    set_library(nullptr);
    g_quit.store(nullptr);
    extproto::release_kernel();
    delete lib;
    return 1;
}

}  // namespace modlib
