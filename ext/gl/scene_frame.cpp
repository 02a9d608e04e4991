#include "scene_frame.h"

#include <GL/gl.h>

#include <string>

#include "library.h"
#include "object_keys.h"
#include "scene_state.h"

namespace gllib {

namespace {

constexpr char16_t kNoSignal[] = u"没 有 信 号 ！";

enum LockResult { kTaken = 0, kBusy = 1, kQuitting = -1 };

std::u16string decimal(intptr_t value) {
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

const char16_t *error_kind_text(int type) {
    switch (type) {
    case 1: return u"\r\n整数函数运行错误！函数名：";
    case 2: return u"\r\n实数函数运行错误！函数名：";
    case 3: return u"\r\n复数函数运行错误！函数名：";
    default: return u"\r\n其他运行错误！错误描述：";
    }
}

const char16_t *formula_kind_text(int type) {
    switch (type) {
    case 1: return u"\r\n正在运行的整数表达式名称：";
    case 2: return u"\r\n正在运行的实数表达式名称：";
    case 3: return u"\r\n正在运行的复数表达式名称：";
    default: return nullptr;
    }
}

void report_run_error(const Library &lib, int type, const char16_t *name, int code, int forType,
                      void *hFor) {
    std::u16string text = u"\r\nOpenTmGl发现运行错误！！！";
    text += error_kind_text(type);
    if (name) text += name;
    text += u"，错误代码：";
    text += decimal(code);
    const char16_t *kind = formula_kind_text(forType);
    if (hFor && kind) {
        int t = forType;
        auto formulaName = reinterpret_cast<const char16_t *>(
            lib.kernel.ExMsgWithTamrix(2, hFor, &t, nullptr));
        t = forType;
        const intptr_t module = lib.kernel.ExMsgWithTamrix(4, hFor, &t, nullptr);
        text += kind;
        if (formulaName) text += formulaName;
        text += u"  所在模块：";
        text += decimal(module);
    }
    host_message(text);
}

// The scene formula when it still exists unchanged.
bool scene_is_drawable(const Library &lib, SceneFormula &out) {
    Scene &s = scene();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        out = s.formula;
    }
    if (!out.set || lib.kernel.TestRunErr() != 0) return false;
    return lib.kernel.IsFor(nullptr, TM_REAL, out.module,
                            reinterpret_cast<void *>(uintptr_t(out.handle)), out.data,
                            out.paramCount);
}

// Evaluates the scene; a run error it raised is reported once and then set
// again, so that it stays pending (and the scene on the no-signal picture)
// until the host clears it.
void run_scene(const Library &lib, const SceneFormula &formula) {
    Scene &s = scene();
    lib.kernel.RealCal(formula.record, static_cast<double *>(formula.data));
    if (s.primitiveOpen) {
        glEnd();
        s.primitiveOpen = false;
    }
    int type = 0, code = 0, forType = 0;
    const char16_t *name = nullptr;
    void *hFor = nullptr;
    lib.kernel.GetRunErr(&type, &name, &code, &forType, &hFor);
    if (type == 0) return;
    report_run_error(lib, type, name, code, forType, hFor);
    lib.kernel.SetRunErr(type, name, code, forType, hFor);
}

}  // namespace

void draw_no_signal(const GlyphLists &glyphs) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslated(-13, 8, -25);
    print_on_demand(glyphs, kNoSignal);
}

SceneResult evaluate_scene(const GlyphLists &glyphs) {
    Library *lib = library();
    if (!lib) return SceneResult::Quit;
    const int lock = lib->useTamrix(1);
    if (lock == kQuitting && !scene().workMode) return SceneResult::Quit;
    if (lock == kTaken) {
        mark_window_thread(true);
        delete_outlived_objects(*lib);
        SceneFormula formula;
        const bool drawable = scene_is_drawable(*lib, formula);
        if (drawable) run_scene(*lib, formula);
        mark_window_thread(false);
        lib->useTamrix(0);
        if (drawable) return SceneResult::Drawn;
        draw_no_signal(glyphs);
        return SceneResult::Drawn;
    }
    draw_no_signal(glyphs);
    return SceneResult::Busy;
}

}  // namespace gllib
