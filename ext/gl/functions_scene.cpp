// Starting the scene, navigation values, keys and mouse.
#include "functions.h"
#include "library.h"
#include "window_thread.h"

namespace gllib {

namespace {

// Looks the formula up and makes it the scene; error 1 when the number
// names no real formula.
double start_scene(const char16_t *name, bool workMode, double slot, TmCallContext *ctx) {
    Library *lib = library();
    if (!lib) return 0;
    const uint32_t handle = handle_arg(slot);
    SceneFormula f;
    void *record = nullptr, *data = nullptr;
    int module = 0, paramCount = -1;
    if (!handle || !lib->kernel.GetFor(nullptr, TM_REAL,
                                       reinterpret_cast<void *>(uintptr_t(handle)), &module,
                                       &record, &data, &paramCount))
        return report_error(name, 1, ctx);
    f = {true, handle, module, record, data, paramCount};
    Scene &s = scene();
    reset_scene(s, lib->options.width, lib->options.height);
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.formula = f;
    }
    if (workMode) s.workMode = true;
    start_window_thread();
    return 0;
}

// gleAngle and gleAxis: (i) reads value i, (i, v) sets it, (x, y, z) sets
// all three and their home values.
double navigation_value(std::atomic<double> (&values)[3], std::atomic<double> (&home)[3], int m,
                        const double *args) {
    const int n = argument_count(m);
    if (n == 3) {
        for (int i = 0; i < 3; ++i) {
            values[i] = args[i];
            home[i] = args[i];
        }
        return 0;
    }
    if (n != 1 && n != 2) return 0;
    const int64_t i = integer_arg(args[0]);
    if (i < 1 || i > 3) return 0;
    if (n == 2) values[i - 1] = args[1];
    return values[i - 1];
}

}  // namespace

GLE_FUNCTION(sf_gleWorkDrawScene) {
    (void)m;
    return start_scene(u"gleWorkDrawScene", true, args[0], ctx);
}

GLE_FUNCTION(sf_gleDrawScene) {
    (void)m;
    return start_scene(u"gleDrawScene", false, args[0], ctx);
}

// The two arguments are by reference: the values land in the caller's
// variables.
GLE_FUNCTION(sf_gleGetWindowSize) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    args[0] = scene().clientWidth;
    args[1] = scene().clientHeight;
    return 0;
}

GLE_FUNCTION(sf_gleGetMouseMsg) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    const Scene &s = scene();
    const int64_t message = integer_arg(args[0]);
    args[1] = s.mouseX;
    args[2] = s.mouseY;
    if (message < kFirstMouseMessage || message >= kFirstMouseMessage + kMouseMessageCount)
        return 0;
    return s.mouse[message - kFirstMouseMessage] ? 1 : 0;
}

GLE_FUNCTION(sf_gleAngle) {
    (void)ctx;
    return navigation_value(scene().angles, scene().homeAngles, m, args);
}

GLE_FUNCTION(sf_gleAxis) {
    (void)ctx;
    return navigation_value(scene().axes, scene().homeAxes, m, args);
}

GLE_FUNCTION(sf_gleAngleRate) {
    (void)m, (void)ctx;
    scene().angleStep = args[0];
    return 0;
}

GLE_FUNCTION(sf_gleAxisRate) {
    (void)m, (void)ctx;
    scene().axisStep = args[0];
    return 0;
}

GLE_FUNCTION(sf_gleVirtualKey) {
    const int n = argument_count(m);
    if (n != 1 && n != 2) return report_error(u"gleVirtualKey", 2, ctx);
    const int64_t key = integer_arg(args[0]);
    if (key < 0 || key > 255) return report_error(u"gleVirtualKey", 1, ctx);
    Scene &s = scene();
    if (n == 2) s.keys[key] = args[1] != 0 ? 1 : 0;
    return s.keys[key] ? 1 : 0;
}

GLE_FUNCTION(sf_gleIsInitScene) {
    (void)m, (void)args, (void)ctx;
    return scene().firstFrame.exchange(false) ? 1 : 0;
}

}  // namespace gllib
