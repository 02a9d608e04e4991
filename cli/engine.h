// The kernel and the module library as this host binds them: both loaded
// through the platform loader, every export resolved by name, the host's keys
// published, the module library started and its services looked up.
#pragma once

#include <string>

#include "ext/protocol/kernel_binding.h"
#include "platform/loader.h"
#include "tamrix/tamrix_ext.h"

namespace cli {

// Every kernel export, one slot each, from the kernel's own list: this host
// drives all of them, so it binds the same table the libraries use.
using KernelExports = extproto::KernelExports;

struct ModuleServices {
    TmUseTamrix UseTamrix = nullptr;
    TmComModule ComModule = nullptr;
    TmExeModule ExeModule = nullptr;
    TmDeleteModule DeleteModule = nullptr;
};

class Engine {
public:
    Engine() = default;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;
    ~Engine() { stop(); }

    // Loads and starts everything; stack_slots > 0 sizes the three shared
    // value stacks.  On failure nothing stays loaded and *error says why.
    bool start(long stack_slots, std::string *error);
    // Stops the module library and frees the kernel.  Extension libraries and
    // modules must be gone before.
    void stop();

    const KernelExports &kernel() const { return kernel_; }
    // The same table, by the name the editor logic shared with this host
    // (its script functions, texts and workspace) uses.
    const extproto::KernelExports &exports() const { return kernel_; }
    const ModuleServices &services() const { return services_; }
    platform::LibraryHandle kernel_library() const { return kernel_library_; }
    platform::LibraryHandle module_library() const { return module_library_; }

    // Inserts "TmMessage" and "MTM_LoadModule" unless present; the host does
    // so before every compile and run, as a library may have removed them.
    void publish_callbacks() const;

private:
    bool load_libraries(std::string *error);
    bool resolve_exports(std::string *error);
    void publish_host_keys() const;
    bool size_stacks(long slots, std::string *error) const;
    bool start_module_library(std::string *error);
    void unload_libraries();

    platform::LibraryHandle kernel_library_ = nullptr;
    platform::LibraryHandle module_library_ = nullptr;
    TmDllEntry module_entry_ = nullptr;
    KernelExports kernel_;
    ModuleServices services_;
    bool kernel_started_ = false;
    bool module_library_started_ = false;
};

}  // namespace cli
