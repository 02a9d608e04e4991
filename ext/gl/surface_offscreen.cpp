// Offscreen rendering: an EGL pbuffer on Mesa's surfaceless platform with a
// compatibility-profile context, so immediate mode, display lists and GLU
// work as in a window, on a machine without any display.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <chrono>
#include <thread>

#include "surface.h"

namespace gllib {

namespace {

class OffscreenSurface final : public Surface {
public:
    ~OffscreenSurface() override {
        if (display_ == EGL_NO_DISPLAY) return;
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
        if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
        // The display stays initialised: terminating it unloads the driver,
        // whose process-wide state (and the next scene's start-up time) is
        // better kept, as the library itself stays loaded.
        eglReleaseThread();
    }

    bool open(const SurfaceRequest &request, std::string *why) {
        auto platform_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!platform_display) return fail(why, "Can't Create A GL Device Context.");
        display_ = platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display_ == EGL_NO_DISPLAY) return fail(why, "Can't Create A GL Device Context.");
        EGLint major = 0, minor = 0;
        if (!eglInitialize(display_, &major, &minor)) {
            display_ = EGL_NO_DISPLAY;
            return fail(why, "Can't Create A GL Device Context.");
        }
        const EGLint bits = request.colorBits >= 24 ? 8 : request.colorBits >= 15 ? 5 : 1;
        const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                           EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                           EGL_RED_SIZE, bits, EGL_GREEN_SIZE, bits,
                                           EGL_BLUE_SIZE, bits, EGL_DEPTH_SIZE, 16, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display_, configAttributes, &config_, 1, &count) || count < 1)
            return fail(why, "Can't Find A Suitable PixelFormat.");
        if (!eglBindAPI(EGL_OPENGL_API)) return fail(why, "Can't Create A GL Rendering Context.");
        const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                            EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                            EGL_NONE};
        context_ = eglCreateContext(display_, config_, EGL_NO_CONTEXT, contextAttributes);
        if (context_ == EGL_NO_CONTEXT) return fail(why, "Can't Create A GL Rendering Context.");
        if (!make_buffer(request.width, request.height))
            return fail(why, "Can't Activate The GL Rendering Context.");
        return true;
    }

    bool next_event(WindowEvent &event, int waitMs) override {
        if (resized_) {
            resized_ = false;
            event = {};
            event.kind = WindowEvent::Kind::Resize;
            event.width = width_;
            event.height = height_;
            return true;
        }
        if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        return false;
    }
    void swap() override { eglSwapBuffers(display_, surface_); }
    void set_title(const std::u16string &) override {}
    int show_cursor(bool show) override { return show ? ++cursor_ : --cursor_; }
    uint32_t window_id() const override { return 0; }
    bool parent_alive() override { return false; }
    bool parent_rect(int &, int &, int &, int &) override { return false; }
    void move_resize(int, int, int w, int h) override {
        if (w > 0 && h > 0 && (w != width_ || h != height_)) make_buffer(w, h);
    }
    void current_size(int &w, int &h) const override {
        w = width_;
        h = height_;
    }

private:
    static bool fail(std::string *why, const char *text) {
        if (why) *why = text;
        return false;
    }

    // A new pbuffer of the size; the context moves onto it.  The old one is
    // kept when the new one cannot be made.
    bool make_buffer(int w, int h) {
        const EGLint attributes[] = {EGL_WIDTH, w, EGL_HEIGHT, h, EGL_NONE};
        EGLSurface surface = eglCreatePbufferSurface(display_, config_, attributes);
        if (surface == EGL_NO_SURFACE) return false;
        if (!eglMakeCurrent(display_, surface, surface, context_)) {
            eglDestroySurface(display_, surface);
            return false;
        }
        if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
        surface_ = surface;
        width_ = w;
        height_ = h;
        resized_ = true;
        return true;
    }

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLConfig config_ = nullptr;
    EGLContext context_ = EGL_NO_CONTEXT;
    EGLSurface surface_ = EGL_NO_SURFACE;
    int width_ = 0, height_ = 0;
    bool resized_ = false;
    int cursor_ = 0;
};

}  // namespace

std::unique_ptr<Surface> create_offscreen_surface(const SurfaceRequest &request,
                                                  std::string *why) {
    auto surface = std::make_unique<OffscreenSurface>();
    if (!surface->open(request, why)) return nullptr;
    return surface;
}

}  // namespace gllib
