#include "scene_state.h"

namespace gllib {

Scene &scene() {
    static Scene s;
    return s;
}

void reset_scene(Scene &s, int defaultWidth, int defaultHeight) {
    for (auto &k : s.keys) k = 0;
    for (auto &m : s.mouse) m = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        // The full-screen flag is the user's choice (F2), not a scene option.
        const bool fullScreen = s.options.fullScreen;
        s.options = WindowOptions{};
        s.options.fullScreen = fullScreen;
        s.options.width = defaultWidth;
        s.options.height = defaultHeight;
    }
    s.firstFrame = true;
    s.fastMode = true;
    s.workMode = false;
    set_title(s, kFastTitle);
    for (int i = 0; i < 3; ++i) {
        s.axes[i] = 0;
        s.homeAxes[i] = 0;
        s.angles[i] = 0;
        s.homeAngles[i] = 0;
    }
    s.axisStep = 0.1;
    s.angleStep = 0.5;
}

bool on_window_thread() {
    const std::thread::id owner = scene().owner.load();
    return owner != std::thread::id() && owner == std::this_thread::get_id();
}

void set_title(Scene &s, const std::u16string &title) {
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.title = title;
    }
    s.titleChanged = true;
}

}  // namespace gllib
