#include "library.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <new>

#include "ext/protocol/data_services.h"
#include "ext/protocol/services.h"
#include "glyph_outlines.h"
#include "object_keys.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "registration_tables.h"
#include "scene_state.h"
#include "surface.h"
#include "window_thread.h"

namespace gllib {

namespace {

std::atomic<Library *> g_library{nullptr};

constexpr char16_t kCaption[] = u"OpenTmGl";
constexpr char16_t kBadOption[] = u"OpenTmGl：无法识别的启动参数：";
constexpr char16_t kLeaving[] = u"正在退出OpenTmGl!";

// How long unload waits for a thread that was started but has not yet
// taken its window.
constexpr auto kStartWait = std::chrono::milliseconds(500);

template <typename Function>
bool find(const extproto::KernelExports &kernel, std::string_view name, Function &slot) {
    slot = reinterpret_cast<Function>(extproto::find_service(kernel, name));
    return slot != nullptr;
}

bool bind(void *kernel, Library &lib) {
    return extproto::bind_kernel(
        kernel,
        {"GetRunErr", "TestRunErr", "SetRunErr", "RealCom", "RealCal", "SetFunction", "SetConst",
         "DeleteConstOrFunction", "IsFor", "GetFor", "GetForStr", "SearchKey", "LockKeyType",
         "InsertKey", "DeletePrivateKey", "ExMsgWithTamrix"},
        lib.kernel);
}

void stop_window_thread(Library &lib) {
    Scene &s = scene();
    if (!s.thread.joinable()) return;
    // A thread that has just been started takes its window first.
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (!s.quit && s.owner.load() == std::thread::id() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A work-mode scene stays until its window is closed; nobody can close
    // an offscreen one without a frame limit, so that one ends here too.
    const bool unattended = lib.offscreen && lib.options.frames == 0;
    uint32_t parent = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        parent = s.options.parent;
    }
    const bool parentAlive = parent && x_window_exists(parent);
    if (!s.workMode || unattended || parentAlive) s.quit = true;
    if (s.running && !parent) {
        platform::message_box(kLeaving, kCaption, platform::kBoxIconInformation);
    }
    s.thread.join();
}

}  // namespace

Library *library() { return g_library.load(); }

double report_error(const char16_t *function, int code, TmCallContext *ctx) {
    Library *lib = library();
    if (lib && lib->kernel.TestRunErr() == 0) lib->kernel.SetRunErr(2, function, code, 0, ctx);
    return 0;
}

void host_message(const std::u16string &text) {
    Library *lib = library();
    if (!lib) return;
    auto print = reinterpret_cast<TmMessageFn>(lib->kernel.SearchKey("TmMessage", 9, TM_HOST_KEY_TYPE));
    if (print) print(text.c_str());
}

namespace {
thread_local bool t_windowThread = false;
thread_local bool t_inScene = false;
}  // namespace

void mark_window_thread(bool inScene) {
    t_windowThread = true;
    t_inScene = inScene;
}

void unmark_window_thread() { t_windowThread = t_inScene = false; }

int show_message(const std::u16string &text, const std::u16string &caption, int style) {
    if (!t_windowThread || t_inScene) return platform::message_box(text, caption, style);
    if (use_tamrix(1) == 0) {
        t_inScene = true;
        const int answer = platform::message_box(text, caption, style);
        t_inScene = false;
        use_tamrix(0);
        return answer;
    }
    std::fprintf(stderr, "%s: %s\n", platform::to_utf8(caption).c_str(),
                 platform::to_utf8(text).c_str());
    return platform::default_answer(style);
}

int use_tamrix(int code) {
    Library *lib = library();
    return lib && lib->useTamrix ? lib->useTamrix(code) : -1;
}

int start_library(void *kernel, const char16_t *argument) {
    if (library()) return 0;
    std::unique_ptr<Library> lib(new (std::nothrow) Library);
    if (!lib || !bind(kernel, *lib)) return 0;
    if (!find(lib->kernel, "IsTmData", lib->isTmData)) {
        return extproto::refuse_without_data_library(kCaption);
    }
    find(lib->kernel, "TmDataPayload", lib->dataPayload);
    if (!find(lib->kernel, "UseTamrix", lib->useTamrix) ||
        !find(lib->kernel, "ComModule", lib->comModule) ||
        !find(lib->kernel, "ExeModule", lib->exeModule)) {
        extproto::release_kernel();
        return 0;
    }
    ParsedStartOptions parsed = parse_start_options(argument);
    if (!parsed.ok) {
        platform::message_box(kBadOption + platform::from_utf8(parsed.error), kCaption,
                              platform::kBoxIconError);
        extproto::release_kernel();
        return 0;
    }
    lib->options = parsed.options;
    lib->offscreen = lib->options.offscreen || !display_available();
    lib->wcharArrayKind = extproto::integer_constant(lib->kernel, u"wchar_s");
    // Lets a host wait for a scene before it deletes the modules the scene
    // draws with.
    if (lib->services.publish(lib->kernel, "gleWaitScene",
                              reinterpret_cast<void *>(&wait_for_scene)) != 0) {
        extproto::release_kernel();
        return 0;
    }
    lock_object_key_types(*lib);
    g_library.store(lib.get());
    register_functions(*lib);
    register_constants(*lib);
    Scene &s = scene();
    s.quit = true;
    reset_scene(s, lib->options.width, lib->options.height);
    lib.release();
    return 1;
}

int stop_library() {
    Library *lib = library();
    if (!lib) return 0;
    stop_window_thread(*lib);
    {
        Scene &s = scene();
        std::lock_guard<std::mutex> guard(s.lock);
        s.formula = {};
    }
    unregister_all(*lib);
    unlock_object_key_types(*lib);
    lib->services.withdraw_all(lib->kernel);
    drop_glyph_source();
    g_library.store(nullptr);
    extproto::release_kernel();
    delete lib;
    return 1;
}

}  // namespace gllib
