// The scene record: everything the script thread and the window thread
// share about the one scene the library shows.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "key_map.h"

namespace gllib {

// A real formula as GetFor identifies it; IsFor later checks that the same
// formula still exists unchanged.
struct SceneFormula {
    bool set = false;
    uint32_t handle = 0;
    int module = 0;
    void *record = nullptr;
    void *data = nullptr;
    int paramCount = -1;
};

// Options of the next window creation (option codes of gleSetWindowMode).
struct WindowOptions {
    uint32_t parent = 0;
    int64_t classStyle = 0, fullExStyle = 0, fullStyle = 0, exStyle = 0, style = 0,
            otherStyle = 0;
    int x = 0, y = 0;
    int width = 640, height = 480;
    int colorBits = 16;
    bool fullScreen = false;
};

inline constexpr char16_t kFastTitle[] = u"OpenTM&OpenGL - 快速模式 [F1：帮助]";
inline constexpr char16_t kTimerTitle[] = u"OpenTM&OpenGL - 计时器模式 [F1：帮助]";

struct Scene {
    // Guards the formula identity and the window options, which the script
    // thread replaces while the window thread may read them.
    std::mutex lock;
    SceneFormula formula;
    WindowOptions options;
    bool colorBitsTaken = false;  // the colour bits are read at the first creation only
    int takenColorBits = 16;

    std::atomic<bool> workMode{false};
    std::atomic<uint8_t> keys[256] = {};
    std::atomic<uint8_t> mouse[kMouseMessageCount] = {};
    std::atomic<double> mouseX{0}, mouseY{0};
    std::atomic<double> clientWidth{0}, clientHeight{0};

    // Navigation: axes (translation) and angles (rotation), with their home
    // values and steps.
    std::atomic<double> axes[3] = {}, homeAxes[3] = {};
    std::atomic<double> angles[3] = {}, homeAngles[3] = {};
    std::atomic<double> axisStep{0.1}, angleStep{0.5};

    std::atomic<bool> fastMode{true};
    std::atomic<bool> firstFrame{true};
    std::atomic<bool> active{true};
    std::atomic<bool> quit{true};          // no window thread runs (or it is to end)
    std::atomic<bool> running{false};      // the window thread has not yet ended
    std::atomic<bool> titleChanged{false}; // apply `title` to the live window
    std::u16string title = kFastTitle;     // under `lock`

    std::thread thread;
    std::atomic<std::thread::id> owner{};  // the thread that owns the window
    bool primitiveOpen = false;            // window thread only
};

Scene &scene();

// Back to the state of a new scene (keys, mouse, options, navigation, mode,
// title); the default size comes from the start options.
void reset_scene(Scene &s, int defaultWidth, int defaultHeight);

// True on the thread that owns the window: the drawing functions act only
// there.
bool on_window_thread();

// Sets the title and asks the window thread to show it.
void set_title(Scene &s, const std::u16string &title);

}  // namespace gllib
