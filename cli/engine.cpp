#include "engine.h"

#include <cstring>

#include "host_callbacks.h"
#include "host_functions.h"
#include "platform/text.h"

namespace cli {
namespace {

template <typename Function>
bool resolve(platform::LibraryHandle library, const char *name, Function &slot,
             std::string *error) {
    if (platform::find_function(library, name, slot)) return true;
    *error = std::string("the kernel library has no export ") + name;
    return false;
}

// Keys are filed under their ASCII bytes, without a terminator.
int key_length(const char *key) { return int(std::strlen(key)); }

template <typename Function> void *as_value(Function function) {
    return reinterpret_cast<void *>(function);
}

// The module number the stack sizing compiles into: beyond every number the
// module library hands out, so it never meets a program's module.
constexpr int kSetupModule = -2147483647;

}  // namespace

bool Engine::start(long stack_slots, std::string *error) {
    stop();
    if (!load_libraries(error)) return false;
    if (!resolve_exports(error)) {
        unload_libraries();
        return false;
    }
    if (!kernel_.InitTamrix()) {
        *error = "the kernel could not be initialised (out of memory)";
        unload_libraries();
        return false;
    }
    kernel_started_ = true;
    publish_host_keys();
    if (stack_slots > 0 && !size_stacks(stack_slots, error)) {
        stop();
        return false;
    }
    if (!start_module_library(error)) {
        stop();
        return false;
    }
    return true;
}

bool Engine::load_libraries(std::string *error) {
    std::string why;
    kernel_library_ = platform::load_library("Tamrix32W.dll", &why);
    if (!kernel_library_) {
        *error = "cannot load libTamrix32W.so: " + why;
        return false;
    }
    module_library_ = platform::load_library("MTamrix32W.dll", &why);
    if (!module_library_) {
        *error = "cannot load libMTamrix32W.so: " + why;
        unload_libraries();
        return false;
    }
    return true;
}

bool Engine::resolve_exports(std::string *error) {
    // This host drives every export, so each must be present; resolving them
    // one by one names the missing one.  The binding then also points the
    // platform layer's key lookup (message boxes) at this kernel.
    platform::LibraryHandle k = kernel_library_;
#define TAMRIX_RESOLVE_EXPORT(name) &&resolve(k, #name, kernel_.name, error)
    bool complete = true TM_KERNEL_EXPORTS(TAMRIX_RESOLVE_EXPORT);
#undef TAMRIX_RESOLVE_EXPORT
    if (!complete || !extproto::bind_kernel(k, {}, kernel_)) return false;
    if (platform::find_function(module_library_, "TmDll32W", module_entry_)) return true;
    *error = "the module library has no export TmDll32W";
    return false;
}

void Engine::publish_host_keys() const {
    const KernelExports &k = kernel_;
    // The error and help texts belong to the logic both hosts share.
    ide::publish_text_key_types(kernel_);
    void *kept = nullptr;
    k.InsertKey("MTM_MessageBox", key_length("MTM_MessageBox"), TM_HOST_KEY_TYPE,
                as_value(&host_message_box), nullptr, &kept);
    publish_callbacks();
}

void Engine::publish_callbacks() const {
    void *kept = nullptr;
    kernel_.InsertKey("TmMessage", key_length("TmMessage"), TM_HOST_KEY_TYPE,
                      as_value(&host_message), nullptr, &kept);
    kept = nullptr;
    kernel_.InsertKey("MTM_LoadModule", key_length("MTM_LoadModule"), TM_HOST_KEY_TYPE,
                      as_value(&host_load_module), nullptr, &kept);
}

// Compiles and runs one formula without parameters through a typed pair of
// exports; false when it does not compile.
template <typename Com, typename Cal, typename Slot>
bool run_once(const KernelExports &k, Com compile, Cal evaluate, int type,
              const std::u16string &source) {
    void *formula = nullptr;
    Slot *data = nullptr;
    int param_count = 0, first = 0, last = 0;
    if (compile(source.c_str(), kSetupModule, &formula, &param_count, &data, &first, &last) != 0)
        return false;
    evaluate(formula, data);
    k.DeleteFor(type, formula);
    return true;
}

// Runs each type's stack-size built-in once, as a program would, and reads
// the run-error record to see whether the allocations succeeded.
bool Engine::size_stacks(long slots, std::string *error) const {
    const KernelExports &k = kernel_;
    const std::u16string count = u"(" + platform::from_utf8(std::to_string(slots)) + u")";
    bool compiled =
        run_once<decltype(k.IntCom), decltype(k.IntCal), int64_t>(
            k, k.IntCom, k.IntCal, TM_INTEGER, u"SetIntStackMax" + count) &&
        run_once<decltype(k.RealCom), decltype(k.RealCal), double>(
            k, k.RealCom, k.RealCal, TM_REAL, u"SetRealStackMax" + count) &&
        run_once<decltype(k.ComplexCom), decltype(k.ComplexCal), TmComplex>(
            k, k.ComplexCom, k.ComplexCal, TM_COMPLEX, u"SetComplexStackMax" + count);
    int type = 0, code = 0, formula_type = 0;
    const char16_t *name = nullptr;
    void *handle = nullptr;
    k.GetRunErr(&type, &name, &code, &formula_type, &handle);
    if (compiled && type == 0) return true;
    *error = "cannot size the value stacks to " + std::to_string(slots) + " slots";
    return false;
}

bool Engine::start_module_library(std::string *error) {
    if (!module_entry_(kernel_library_, 1, nullptr)) {
        *error = "the module library could not be started";
        return false;
    }
    module_library_started_ = true;
    auto service = [&](const char *name) {
        return kernel_.SearchKey(name, key_length(name), TM_SERVICE_KEY_TYPE);
    };
    services_.UseTamrix = reinterpret_cast<TmUseTamrix>(service("UseTamrix"));
    services_.ComModule = reinterpret_cast<TmComModule>(service("ComModule"));
    services_.ExeModule = reinterpret_cast<TmExeModule>(service("ExeModule"));
    services_.DeleteModule = reinterpret_cast<TmDeleteModule>(service("DeleteModule"));
    if (services_.UseTamrix && services_.ComModule && services_.ExeModule &&
        services_.DeleteModule)
        return true;
    *error = "the module library did not publish UseTamrix, ComModule, ExeModule and "
             "DeleteModule";
    return false;
}

void Engine::stop() {
    if (module_library_started_) module_entry_(kernel_library_, 0, nullptr);
    module_library_started_ = false;
    services_ = ModuleServices{};
    if (kernel_started_) kernel_.FreeTamrix();
    kernel_started_ = false;
    unload_libraries();
}

void Engine::unload_libraries() {
    // The module library first: it calls into the kernel until it is closed.
    platform::close_library(module_library_);
    platform::close_library(kernel_library_);
    module_library_ = kernel_library_ = nullptr;
    module_entry_ = nullptr;
    kernel_ = KernelExports{};
    extproto::release_kernel();
}

}  // namespace cli
