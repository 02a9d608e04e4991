// The engine as the editor binds it: the kernel and the module library
// loaded by name, the host's keys and script functions, the extension
// libraries of the workspace, the main module and the module list, compiling
// and running, and the run monitor.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ext/protocol/kernel_binding.h"
#include "host.h"
#include "host_functions.h"
#include "module_list.h"
#include "platform/loader.h"
#include "tamrix/tamrix_ext.h"

namespace ide {

class RunMonitor;

struct ModuleServices {
    TmUseTamrix UseTamrix = nullptr;
    TmComModule ComModule = nullptr;
    TmExeModule ExeModule = nullptr;
    TmDeleteModule DeleteModule = nullptr;
};

// "UseTamrix" requests.
enum UseRequest : int {
    kRelease = 0,
    kTryTake = 1,
    kTake = 2,
    kWatchOff = 3,
    kWatchOn = 4,
    kWatchFlag = 5,
};

// compile_source's result when nothing was compiled (busy workspace).
constexpr int kCompileNotDone = -1000;

class Engine {
public:
    explicit Engine(Host &host);
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;
    ~Engine();

    // Loads and starts everything; false (after its message) when the
    // program cannot go on.  Only one engine is bound at a time.
    bool bind_engine();
    // Restarts the kernel and the module library under a running program.
    void rebind_engine();
    // Deletes every module, then shuts everything down in reverse.
    void unbind_engine();
    bool bound() const { return kernel_library_ != nullptr; }

    // Unloads every extension library, then loads those of a "#LOAD" body.
    void load_extensions(std::u16string_view list);
    void unload_extensions();
    size_t extension_count() const { return extensions_.size(); }

    // Compiles a text (none: the code window's) into `module`; a previous
    // main module is released first.  The result code of ComModule, or
    // kCompileNotDone when the workspace was busy or nothing is bound.
    int compile_source(ModuleRef &module, const std::u16string *text, std::u16string_view name,
                       int kind);
    // Runs a compiled module; nothing for an uncompiled one.  May be called
    // from a worker thread (runs take the workspace like any other user).
    void run_module(const ModuleRef &module);
    // Waits until no scene of the graphics library needs the modules any
    // more: one that ends after a set number of frames, or a window in work
    // mode until the user closes it (the library's "gleWaitScene"; nothing
    // when it is not loaded).  Never on the thread that answers the host
    // calls of a scene's messages.
    void wait_for_scenes();
    // Deletes a compiled module; the caller holds the workspace or nobody
    // else uses the kernel.
    void release_module(ModuleRef &module);

    // The directory a compile or run of a file happens in: the file's
    // directory, or the current directory for a text without a file.
    void set_run_directory(std::u16string_view file_path);
    const std::u16string &run_directory() const { return run_directory_; }

    ModuleRef &main_module() { return main_module_; }
    ModuleList &modules() { return modules_; }
    // Deletes every module of the list (releasing its compiled form).
    void delete_all_modules();

    // Where the loader takes a module's text when the file is open in the
    // editor; unset or false: the file is read.
    using OpenTextLookup = std::function<bool(std::u16string_view path, std::u16string &text)>;
    void set_open_text_lookup(OpenTextLookup lookup) { open_text_ = std::move(lookup); }
    bool source_of(std::u16string_view path, std::u16string &text, bool report);

    // The "MTM_LoadModule" contract, on the module list.
    int load_module(std::u16string_view name);

    // Error and help texts.
    void load_texts(std::u16string_view path, TextKind kind);
    // The shipped texts: every "errors-*.txt" and "help-*.txt" of a
    // directory, in file-name order.
    void load_shipped_texts(std::u16string_view directory);
    // Function names whose help text holds every keyword (see help_search.h);
    // empty keywords list every function.  Takes the workspace; busy: the
    // message, and false.
    bool search_help(std::u16string_view keywords, std::vector<std::u16string> &names);
    std::u16string help_text(std::u16string_view name);

    // Output window notifications: no memory left, and the text limit reached.
    void output_out_of_memory();
    void output_limit_reached();

    const extproto::KernelExports &kernel() const { return kernel_; }
    const ModuleServices &services() const { return services_; }
    Host &host() { return host_; }
    RunMonitor &monitor() { return *monitor_; }
    platform::LibraryHandle kernel_library() const { return kernel_library_; }
    platform::LibraryHandle module_library() const { return module_library_; }

    // The output forms handed to ExeModule and published as "TmMessage".
    void output_text(std::u16string_view text);
    void output_int(int64_t value);
    void output_real(double value);
    void output_complex(double re, double im);

private:
    bool load_libraries();
    bool resolve_exports();
    bool start_module_library();
    void look_up_services();
    void publish_callbacks();
    void free_libraries();
    void interrupt_run();

    Host &host_;
    platform::LibraryHandle kernel_library_ = nullptr;
    platform::LibraryHandle module_library_ = nullptr;
    TmDllEntry module_entry_ = nullptr;
    extproto::KernelExports kernel_;
    ModuleServices services_;
    ScriptContext script_context_;
    HostFunctionFlags functions_{};

    struct Extension {
        platform::LibraryHandle handle;
        TmDllEntry entry;
    };
    std::vector<Extension> extensions_;

    ModuleRef main_module_;
    ModuleList modules_;
    std::u16string run_directory_;
    OpenTextLookup open_text_;
    std::unique_ptr<RunMonitor> monitor_;
};

}  // namespace ide
