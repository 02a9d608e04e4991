#include "library.h"

#include <memory>
#include <new>

#include "ext/protocol/key_types.h"
#include "objects.h"
#include "platform/message_box.h"
#include "script_table.h"
#include "services.h"
#include "tamrix/tamrix_ext.h"
#include "types.h"

namespace tmdata {

namespace {

constexpr int kRunErrorRecordMessage = 11;
constexpr int kSetReleaseHookMessage = 5;
constexpr int kClearReleaseHookMessage = 6;

void TM_CALL type_key_token() {}

void *address(auto function) { return reinterpret_cast<void *>(function); }

bool publish_services(Library &lib) {
    const struct {
        const char *name;
        void *entry;
    } services[] = {
        {"RegTmDataType", address(service_reg_type)},
        {"IsTmData", address(service_is_data)},
        {"NewTmDataArray", address(service_new_array)},
        {"DelTmDataArray", address(service_del_array)},
        {"TmDataClass", address(service_class)},
        {"TmDataPayload", address(service_payload)},
    };
    for (const auto &service : services) {
        if (lib.services.publish(lib.kernel, service.name, service.entry) != 0) {
            lib.services.withdraw_all(lib.kernel);
            return false;
        }
    }
    return true;
}

// The object key type from -379 downward, the type-entry type from one
// below it; both or neither.
bool lock_key_types(Library &lib) {
    lib.objectKeyType = extproto::lock_private_key_type(lib.kernel, release_object,
                                                        object_key_token(), kFirstObjectKeyType);
    if (lib.objectKeyType == 0) return false;
    lib.typeKeyType = extproto::lock_private_key_type(lib.kernel, free_type_entry, type_key_token,
                                                      lib.objectKeyType - 1);
    if (lib.typeKeyType != 0) return true;
    extproto::unlock_private_key_type(lib.kernel, lib.objectKeyType, object_key_token());
    lib.objectKeyType = 0;
    return false;
}

void register_script_names(Library &lib) {
    auto &r = lib.registrations;
    r.set_failure_box(true, platform::kBoxOk | platform::kBoxIconInformation);
    r.add_functions(lib.kernel, integer_functions(), u"TmData 注册整数函数失败！");
    r.add_constants(lib.kernel, integer_constants(), u"TmData 注册整数常量失败！");
    r.add_functions(lib.kernel, real_functions(), u"TmData 注册实数函数失败！");
    r.add_constants(lib.kernel, real_constants(), u"TmData 注册实数常量失败！");
    r.add_functions(lib.kernel, complex_functions(), u"TmData 注册复数函数失败！");
}

}  // namespace

int start_library(void *kernel) {
    if (g_library) return 0;  // one set of state per loaded library
    std::unique_ptr<Library> lib(new (std::nothrow) Library);
    if (!lib) return 0;
    if (!extproto::bind_kernel(kernel,
                               {"SetRunErr", "IntCal", "RealCal", "ComplexCal", "GetFor",
                                "SetFunction", "SetConst", "DeleteConstOrFunction", "GetForStr",
                                "InsertKey", "SearchKey", "DeletePrivateKey", "LockKeyType",
                                "EnumKeyTypeValue", "ExMsgWithTamrix"},
                               lib->kernel)) {
        return 0;
    }
    lib->runErrorType = reinterpret_cast<const int *>(
        lib->kernel.ExMsgWithTamrix(kRunErrorRecordMessage, nullptr, nullptr, nullptr));
    if (!publish_services(*lib)) {
        extproto::release_kernel();
        return 0;
    }
    if (!lock_key_types(*lib)) {
        lib->services.withdraw_all(lib->kernel);
        extproto::release_kernel();
        return 0;
    }
    // Object entries find the library through library() from here on.
    g_library = lib.release();
    register_script_names(*g_library);
    g_library->kernel.ExMsgWithTamrix(kSetReleaseHookMessage, address(release_free_variables),
                                      nullptr, nullptr);
    g_library->nextTypeId = -256;
    g_library->objectLimit = kDefaultObjectLimit;
    return 1;
}

int stop_library() {
    Library *lib = g_library;
    if (!lib) return 0;
    lib->registrations.remove_all(lib->kernel);
    ++lib->clearCount;
    lib->clearing = true;
    extproto::unlock_private_key_type(lib->kernel, lib->objectKeyType, object_key_token());
    lib->handles.forget_cache();
    lib->clearing = false;
    lib->liveCount = 0;
    extproto::unlock_private_key_type(lib->kernel, lib->typeKeyType, type_key_token);
    lib->services.withdraw_all(lib->kernel);
    lib->kernel.ExMsgWithTamrix(kClearReleaseHookMessage, nullptr, nullptr, nullptr);
    extproto::release_kernel();
    g_library = nullptr;
    delete lib;
    return 1;
}

}  // namespace tmdata
