#include "window_thread.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <condition_variable>

#include "key_map.h"
#include "library.h"
#include "object_keys.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "save_scene.h"
#include "scene_frame.h"
#include "scene_state.h"
#include "text_index.h"

namespace gllib {

namespace {

// The period of the frame timer.
constexpr auto kTimerPeriod = std::chrono::milliseconds(45);
constexpr char16_t kErrorCaption[] = u"OpenTmgl";
constexpr char16_t kHelpCaption[] = u"OpenTmGl 帮助";
constexpr char16_t kHelpText[] =
    u"F2：全屏/窗口模式  F3：快速/计时器模式  F4：使用说明  ESC：退出\r\n"
    u"平移操作：→、←、↑、↓、PageUp、PageDown、Home\r\n"
    u"旋转操作：Shift+→、Shift+←、Shift+↑、Shift+↓、Shift+PageUp、Shift+PageDown、Shift+Home\r\n"
    u"窗口模式下暂停：Alt，按任意键继续"
    u"\r\n\r\n"
    u"OpenTmGl 9.0 (Tamrix, Linux: X11/GLX, EGL)";

thread_local WindowContext *t_context = nullptr;

std::mutex g_endLock;
std::condition_variable g_ended;

// The picture of the last frame, kept when the start options ask for it.
Picture g_lastFrame;

bool key_down(int vk) { return scene().keys[vk] != 0; }
bool take_key(int vk) {
    if (!key_down(vk)) return false;
    scene().keys[vk] = 0;
    return true;
}

SurfaceRequest request_of(Scene &s) {
    SurfaceRequest r;
    std::lock_guard<std::mutex> guard(s.lock);
    const WindowOptions &o = s.options;
    if (!s.colorBitsTaken) {
        s.colorBitsTaken = true;
        s.takenColorBits = o.colorBits;
    }
    r.parent = o.parent;
    r.x = o.x;
    r.y = o.y;
    r.width = o.width;
    r.height = o.height;
    r.colorBits = s.takenColorBits;
    r.fullScreen = o.fullScreen;
    r.style = (o.fullScreen ? o.fullStyle : o.style) | o.otherStyle;
    r.exStyle = o.fullScreen ? o.fullExStyle : o.exStyle;
    r.title = s.title;
    s.titleChanged = false;
    return r;
}

void init_gl() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 0.5f);
    glClearDepth(1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

bool create_window(WindowContext &w) {
    Library *lib = library();
    if (!lib) return false;
    Scene &s = scene();
    SurfaceRequest request = request_of(s);
    std::string why;
    w.surface = lib->offscreen ? create_offscreen_surface(request, &why)
                               : create_window_surface(request, &why);
    if (!w.surface) {
        show_message(platform::from_utf8(why), kErrorCaption, platform::kBoxIconWarning);
        return false;
    }
    w.parent = request.parent && w.surface->parent_alive() ? request.parent : 0;
    w.parentKnown = false;
    int width = 0, height = 0;
    w.surface->current_size(width, height);
    apply_viewport(width, height);
    init_gl();
    create_glyph_lists(w.glyphs);
    s.active = true;
    s.firstFrame = true;
    ++context_generation();
    return true;
}

// The objects scripts made go with the window; their keys are removed
// under the workspace lock, at once when it is free, else at the next
// frame that has it (their display lists are gone with the context anyway).
void release_objects() {
    Library *lib = library();
    if (!lib) return;
    if (use_tamrix(1) == 0) {
        delete_all_objects(*lib);
        use_tamrix(0);
    } else {
        objects_outlive_window();
    }
}

void teardown(WindowContext &w) {
    if (!w.surface) return;
    release_objects();
    free_text_index();
    delete_glyph_lists(w.glyphs);
    w.surface.reset();
}

void store_position(WindowContext &w, double x, double y) {
    if (!w.parent) return;
    Scene &s = scene();
    std::lock_guard<std::mutex> guard(s.lock);
    s.options.x = int(x);
    s.options.y = int(y);
}

void handle_event(WindowContext &w, const WindowEvent &e) {
    Scene &s = scene();
    switch (e.kind) {
    case WindowEvent::Kind::KeyDown: s.keys[e.code & 0xFF] = 1; break;
    case WindowEvent::Kind::KeyUp: s.keys[e.code & 0xFF] = 0; break;
    case WindowEvent::Kind::Mouse:
        s.mouse[e.code - kFirstMouseMessage] = 1;
        s.mouseX = e.x;
        s.mouseY = e.y;
        break;
    case WindowEvent::Kind::Resize: apply_viewport(e.width, e.height); break;
    case WindowEvent::Kind::Move: store_position(w, e.x, e.y); break;
    case WindowEvent::Kind::Activate: s.active = e.code != 0; break;
    case WindowEvent::Kind::Close:
        s.fastMode = true;
        s.quit = true;
        break;
    }
}

void navigate() {
    Scene &s = scene();
    const bool shift = key_down(kVkShift);
    auto &values = shift ? s.angles : s.axes;
    auto &home = shift ? s.homeAngles : s.homeAxes;
    const double step = shift ? s.angleStep.load() : s.axisStep.load();
    // One action per frame; the axis each key moves (z, y, x) and its sign.
    struct Move {
        int vk, index;
        double sign;
    };
    constexpr Move kMoves[] = {{kVkPageUp, 2, -1}, {kVkPageDown, 2, 1}, {kVkUp, 1, 1},
                               {kVkDown, 1, -1},   {kVkRight, 0, 1},    {kVkLeft, 0, -1}};
    for (const Move &m : kMoves) {
        if (!key_down(m.vk)) continue;
        values[m.index] = values[m.index] + m.sign * step;
        return;
    }
    if (key_down(kVkHome)) {
        for (int i = 0; i < 3; ++i) values[i] = home[i].load();
    }
}

void toggle_mode() {
    Scene &s = scene();
    const bool fast = !s.fastMode;
    s.fastMode = fast;
    set_title(s, fast ? kFastTitle : kTimerTitle);
}

// F1, F2, F3.  False when the window could not be made again (F2).
bool function_keys(WindowContext &w) {
    Scene &s = scene();
    if (take_key(kVkF1)) {
        show_message(kHelpText, kHelpCaption, platform::kBoxIconInformation);
    } else if (take_key(kVkF2)) {
        s.owner = std::thread::id();
        teardown(w);
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.options.fullScreen = !s.options.fullScreen;
        }
        if (!create_window(w)) {
            s.quit = true;
            return false;
        }
        s.owner = std::this_thread::get_id();
    } else if (take_key(kVkF3)) {
        toggle_mode();
    }
    return true;
}

// Frames after which an unattended run ends, counted while the workspace
// was free (busy frames depend on the host's timing).
long g_framesDrawn = 0;

bool draw_frame(WindowContext &w) {
    Scene &s = scene();
    Library *lib = library();
    if (s.titleChanged.exchange(false)) {
        std::lock_guard<std::mutex> guard(s.lock);
        w.surface->set_title(s.title);
    }
    bool show = true;
    if (s.active) {
        const SceneResult result = evaluate_scene(w.glyphs);
        if (result == SceneResult::Quit || take_key(kVkEscape)) {
            s.quit = true;
            show = false;
        }
        if (result == SceneResult::Drawn) ++g_framesDrawn;
    }
    if (show) {
        if (lib && !lib->options.save.empty()) g_lastFrame = read_picture();
        w.surface->swap();
        navigate();
        if (lib && lib->options.frames > 0 && g_framesDrawn >= lib->options.frames) s.quit = true;
    }
    const bool ok = function_keys(w);
    for (auto &m : s.mouse) m = 0;
    return ok;
}

void save_last_frame() {
    Library *lib = library();
    if (!lib || lib->options.save.empty() || g_lastFrame.rgb.empty()) return;
    save_picture_reporting(lib->options.save, g_lastFrame);
    g_lastFrame = {};
}

void check_parent(WindowContext &w) {
    if (w.parent && !w.surface->parent_alive()) scene().quit = true;
}

// The script that starts a scene usually sets the window's options right
// after (gleSetWindowMode follows gleDrawScene, which resets them).  The
// first window therefore waits a moment for that run to end: until the
// workspace is free, at most kOptionsWait, trying without ever blocking.
constexpr auto kOptionsWait = std::chrono::milliseconds(500);

void let_the_starting_run_finish() {
    const auto deadline = std::chrono::steady_clock::now() + kOptionsWait;
    while (!scene().quit && std::chrono::steady_clock::now() < deadline) {
        const int lock = use_tamrix(1);
        if (lock == 0) use_tamrix(0);
        if (lock != 1) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void thread_main() {
    Scene &s = scene();
    WindowContext w;
    t_context = &w;
    mark_window_thread(false);
    g_framesDrawn = 0;
    let_the_starting_run_finish();
    if (take_key(kVkF2)) {
        std::lock_guard<std::mutex> guard(s.lock);
        s.options.fullScreen = true;
    }
    if (create_window(w)) {
        s.owner = std::this_thread::get_id();
        auto tick = std::chrono::steady_clock::now() + kTimerPeriod;
        bool alive = true;
        while (alive && !s.quit) {
            WindowEvent event;
            const auto now = std::chrono::steady_clock::now();
            if (now >= tick) {
                // The timer's frame, and the check that the parent is there.
                tick = now + kTimerPeriod;
                alive = draw_frame(w);
                if (alive) check_parent(w);
                continue;
            }
            const int wait = s.fastMode ? 0
                : int(std::chrono::duration_cast<std::chrono::milliseconds>(tick - now).count()) + 1;
            if (w.surface->next_event(event, wait)) {
                handle_event(w, event);
            } else if (s.fastMode) {
                alive = draw_frame(w);
            }
        }
        s.owner = std::thread::id();
        save_last_frame();
        teardown(w);
    }
    w.parent = 0;
    t_context = nullptr;
    unmark_window_thread();
    s.quit = true;
    {
        std::lock_guard<std::mutex> guard(g_endLock);
        s.running = false;
    }
    g_ended.notify_all();
}

}  // namespace

WindowContext *window_context() { return t_context; }

// A scene may start a scene itself; on the window thread that only replaces
// the formula, even when the thread is about to end.
void start_window_thread() {
    Scene &s = scene();
    if (!s.quit || on_window_thread()) return;
    if (s.thread.joinable()) {
        if (s.thread.get_id() == std::this_thread::get_id()) return;
        s.thread.join();
    }
    s.quit = false;
    s.running = true;
    try {
        s.thread = std::thread(thread_main);
    } catch (...) {
        s.quit = true;
        s.running = false;
    }
}

void TM_CALL wait_for_scene() {
    Library *lib = library();
    if (!lib) return;
    Scene &s = scene();
    const bool limited = lib->options.frames > 0;
    const bool closable = s.workMode && !lib->offscreen;
    if (!limited && !closable) return;
    std::unique_lock<std::mutex> lock(g_endLock);
    g_ended.wait(lock, [&] { return !s.running.load(); });
}

Picture read_picture() {
    Picture p;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    int w = 0, h = 0;
    if (t_context && t_context->surface) t_context->surface->current_size(w, h);
    if (w <= 0 || h <= 0) {
        w = viewport[2];
        h = viewport[3];
    }
    if (w <= 0 || h <= 0) return p;
    p.width = w;
    p.height = h;
    p.rgb.resize(size_t(w) * size_t(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    return p;
}

void apply_viewport(int w, int h) {
    if (h == 0) h = 1;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(w) / double(h), 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scene().clientWidth = double(w);
    scene().clientHeight = double(h);
}

}  // namespace gllib
