// Start-up, restart and shut-down of the engine, and the extension libraries.
#include <cmath>

#include "engine.h"
#include "platform/text.h"
#include "run_monitor.h"
#include "tamrix/compile_errors.h"
#include "workspace_text.h"

namespace ide {
namespace {

constexpr char16_t kCaption[] = u"OpenTM";
constexpr char16_t kLoadFailed[] = u"OpenTM：加载动态库失败！";

Engine *g_engine = nullptr;

// The callbacks the libraries find under "TmMessage" and "MTM_LoadModule",
// and the output operations handed to ExeModule: no context argument, so
// they reach the bound engine through g_engine.
extern "C" {
void TM_CALL message_callback(const char16_t *text) {
    if (g_engine && text) g_engine->output_text(text);
}
int TM_CALL load_module_callback(const char16_t *name) {
    if (!g_engine || !name) return TM_CE_MODULE_NOT_FOUND;
    return g_engine->load_module(name);
}
int TM_CALL message_box_callback(const char16_t *text, const char16_t *caption, int style) {
    if (!g_engine) return platform::default_answer(style);
    return g_engine->host().message_box(text ? text : u"", caption ? caption : u"", style);
}

// The editor's own uses of "UseTamrix" go through here, so that the host
// hears of every wait for the workspace (see Host::waiting_for_workspace).
TmUseTamrix g_module_use_tamrix = nullptr;
int TM_CALL use_tamrix_telling_host(int request) {
    if (request != kTake || !g_engine) return g_module_use_tamrix(request);
    g_engine->host().waiting_for_workspace(true);
    const int result = g_module_use_tamrix(request);
    g_engine->host().waiting_for_workspace(false);
    return result;
}
}

template <typename Function>
void *as_value(Function function) {
    return reinterpret_cast<void *>(function);
}

}  // namespace

Engine::Engine(Host &host) : host_(host) {
    monitor_ = std::make_unique<RunMonitor>(RunMonitor::Callbacks{[this] { host_.show_monitor(); },
                                                                  [this] { host_.close_monitor(); },
                                                                  [this] { interrupt_run(); }});
}

Engine::~Engine() {
    if (bound()) unbind_engine();
}

bool Engine::load_libraries() {
    kernel_library_ = platform::load_library("Tamrix32W.dll");
    module_library_ = kernel_library_ ? platform::load_library("MTamrix32W.dll") : nullptr;
    if (kernel_library_ && module_library_) return true;
    free_libraries();
    host_.message_box(
        u"找不到动态库Tamrix32.dll或MTamrix32.dll，请将这两个库放到Windows的搜索路径内！", kCaption,
        platform::kBoxOk);
    return false;
}

bool Engine::resolve_exports() {
    bool complete =
        extproto::bind_kernel(
            kernel_library_,
            {"TamrixVer", "InitTamrix", "FreeTamrix", "SetRunErr", "TestRunErr", "GetRunErr",
             "SetFunction", "SetConst", "DeleteConstOrFunction", "GetForStr", "SearchKey",
             "InsertKey", "DeleteKey", "DeletePrivateKey", "EnumKeyTypeValue", "LockKeyType"},
            kernel_) &&
        platform::find_function(module_library_, "TmDll32W", module_entry_);
    if (complete) return true;
    host_.message_box(u"Tamrix32.dll和MTamrix32.dll没有有效的动态库函数！", kCaption,
                      platform::kBoxOk);
    free_libraries();
    return false;
}

void Engine::free_libraries() {
    extproto::release_kernel();
    platform::close_library(module_library_);
    platform::close_library(kernel_library_);
    module_library_ = kernel_library_ = nullptr;
    module_entry_ = nullptr;
    kernel_ = extproto::KernelExports{};
    services_ = ModuleServices{};
}

void Engine::look_up_services() {
    auto service = [&](const char *name, int length) {
        return kernel_.SearchKey(name, length, TM_SERVICE_KEY_TYPE);
    };
    g_module_use_tamrix = reinterpret_cast<TmUseTamrix>(service("UseTamrix", 9));
    services_.UseTamrix = g_module_use_tamrix ? &use_tamrix_telling_host : nullptr;
    services_.ComModule = reinterpret_cast<TmComModule>(service("ComModule", 9));
    services_.ExeModule = reinterpret_cast<TmExeModule>(service("ExeModule", 9));
    services_.DeleteModule = reinterpret_cast<TmDeleteModule>(service("DeleteModule", 12));
    script_context_ = ScriptContext{&host_, kernel_, services_.UseTamrix};
    // The watch flag starts set, so a computation that has printed nothing
    // yet counts as computing; the module library starts it cleared.
    if (services_.UseTamrix) services_.UseTamrix(kWatchOn);
}

void Engine::publish_callbacks() {
    void *kept = nullptr;
    kernel_.InsertKey("MTM_LoadModule", 14, TM_HOST_KEY_TYPE, as_value(&load_module_callback),
                      nullptr, &kept);
    kept = nullptr;
    kernel_.InsertKey("TmMessage", 9, TM_HOST_KEY_TYPE, as_value(&message_callback), nullptr,
                      &kept);
}

bool Engine::bind_engine() {
    if (bound() || g_engine) return false;
    if (!load_libraries() || !resolve_exports()) return false;
    if (!kernel_.InitTamrix()) {
        host_.message_box(u"Tamrix32.dll初始化失败！", kCaption, platform::kBoxOk);
        free_libraries();
        return false;
    }
    g_engine = this;
    publish_text_key_types(kernel_);
    // Libraries show their start-up failures through the host's boxes.
    void *kept = nullptr;
    kernel_.InsertKey("MTM_MessageBox", 14, TM_HOST_KEY_TYPE, as_value(&message_box_callback),
                      nullptr, &kept);
    if (!module_entry_(kernel_library_, 1, nullptr)) {
        host_.message_box(u"MTamrix32.dll初始化失败！", kCaption, platform::kBoxOk);
        kernel_.FreeTamrix();
        g_engine = nullptr;
        free_libraries();
        return false;
    }
    look_up_services();
    set_script_context(&script_context_);
    functions_ = register_host_functions(kernel_, host_);
    monitor_->start(services_.UseTamrix);
    return true;
}

void Engine::rebind_engine() {
    if (!bound()) return;
    monitor_->stop();
    unload_extensions();
    module_entry_(kernel_library_, 0, nullptr);
    // Restarting the kernel drops every formula, and with them the modules
    // the editor still knew.
    main_module_ = ModuleRef{};
    for (ModuleEntry &entry : modules_) entry.module = ModuleRef{};
    functions_ = HostFunctionFlags{};
    kernel_.InitTamrix();
    publish_text_key_types(kernel_);
    void *kept = nullptr;
    kernel_.InsertKey("MTM_MessageBox", 14, TM_HOST_KEY_TYPE, as_value(&message_box_callback),
                      nullptr, &kept);
    module_entry_(kernel_library_, 1, nullptr);
    look_up_services();
    functions_ = register_host_functions(kernel_, host_);
    monitor_->start(services_.UseTamrix);
}

void Engine::unbind_engine() {
    if (!bound()) return;
    if (services_.UseTamrix && services_.UseTamrix(kTake) == 0) {
        delete_all_modules();
        release_module(main_module_);
        services_.UseTamrix(kRelease);
    }
    unload_extensions();
    monitor_->stop();
    unregister_host_functions(kernel_, functions_);
    set_script_context(nullptr);
    module_entry_(kernel_library_, 0, nullptr);
    kernel_.FreeTamrix();
    g_engine = nullptr;
    free_libraries();
}

void Engine::unload_extensions() {
    while (!extensions_.empty()) {
        Extension library = extensions_.back();
        extensions_.pop_back();
        library.entry(kernel_library_, 0, nullptr);
        platform::close_library(library.handle);
    }
}

void Engine::load_extensions(std::u16string_view list) {
    unload_extensions();
    if (!bound()) return;
    for (const LoadEntry &entry : parse_load_list(list)) {
        std::string name = platform::to_utf8(entry.library);
        platform::LibraryHandle handle = platform::load_library(name);
        if (!handle) {
            host_.message_box(entry.library, kLoadFailed, platform::kBoxOk);
            continue;
        }
        bool duplicate = handle == module_library_;
        for (const Extension &loaded : extensions_)
            duplicate = duplicate || loaded.handle == handle;
        if (duplicate) {
            host_.message_box(entry.library, u"OpenTM：扩展动态库重复加载，被忽略！",
                              platform::kBoxOk);
            platform::close_library(handle);
            continue;
        }
        TmDllEntry start = nullptr;
        if (!platform::find_function(handle, "TmDll32W", start)) {
            host_.message_box(entry.library, u"OpenTM：该库不是Tamrix扩展动态库！",
                              platform::kBoxOk);
            platform::close_library(handle);
            continue;
        }
        if (!start(kernel_library_, 1, entry.has_argument ? entry.argument.c_str() : nullptr)) {
            host_.message_box(entry.library, u"OpenTM：扩展动态库初始化失败！", platform::kBoxOk);
            platform::close_library(handle);
            continue;
        }
        extensions_.push_back({handle, start});
    }
}

void Engine::interrupt_run() {
    if (bound()) kernel_.SetRunErr(6, u"OpenTM：用户中断了Tamrix运行。", 0, 0, nullptr);
}

void Engine::output_out_of_memory() {
    if (host_.message_box(u"无法为输出窗口申请更多内存。\r\n按“确定”退出Tamrix运行。", kCaption,
                          platform::kBoxOkCancel) == platform::kAnswerOk)
        interrupt_run();
}

void Engine::output_limit_reached() {
    int answer = host_.message_box(
        u"输出窗口内容太多了，刚才的窗口操作已中止，正在增加缓冲区。\r\n"
        u"为方便操作，可用SetOutWinMax(n)函数一次设置缓冲区为较大的值。\r\n"
        u"按“确定”退出Tamrix运行。",
        kCaption, platform::kBoxOkCancel);
    int limit = host_.limit(Window::Output);
    host_.set_limit(Window::Output, limit + 1000);
    if (answer == platform::kAnswerOk) interrupt_run();
}

}  // namespace ide
