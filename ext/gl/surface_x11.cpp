// The scene window: Xlib + GLX on a display connection of the window
// thread's own, so it never shares a connection (or its locking) with a
// toolkit the host may use.
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "key_map.h"
#include "platform/text.h"
#include "surface.h"

namespace gllib {

namespace {

constexpr int64_t kStylePopup = 0x80000000LL;      // WS_POPUP: no frame
constexpr int64_t kStyleThickFrame = 0x00040000;   // WS_THICKFRAME: resizable
constexpr int64_t kExStyleTopmost = 0x00000008;    // WS_EX_TOPMOST
constexpr int64_t kDefaultWindowStyle = 0xCF0000;  // WS_OVERLAPPEDWINDOW
constexpr int kDoubleClickMs = 500;

// X errors on windows of other clients (a parent that went away) must not
// end the process.  The handler is process-wide, so it is installed only
// around the calls that touch foreign windows.
std::mutex g_trapLock;
bool g_trapped = false;
int trap_handler(Display *, XErrorEvent *) {
    g_trapped = true;
    return 0;
}

template <typename Call> bool without_x_error(Display *display, Call call) {
    std::lock_guard<std::mutex> lock(g_trapLock);
    XSync(display, False);
    g_trapped = false;
    auto old = XSetErrorHandler(trap_handler);
    call();
    XSync(display, False);
    XSetErrorHandler(old);
    return !g_trapped;
}

bool window_exists(Display *display, Window window) {
    XWindowAttributes attributes;
    Status status = 0;
    bool ok = without_x_error(display, [&] { status = XGetWindowAttributes(display, window, &attributes); });
    return ok && status != 0;
}

std::string text_property(Display *display, Window window, const char *name) {
    Atom property = XInternAtom(display, name, False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        if (format == 8 && (type == utf8 || type == XA_STRING)) {
            text.assign(reinterpret_cast<const char *>(data), count);
        }
        XFree(data);
    }
    return text;
}

bool window_matches(Display *display, Window window, const std::string &windowClass,
                    const std::string &title) {
    if (!windowClass.empty()) {
        XClassHint hint{};
        if (!XGetClassHint(display, window, &hint)) return false;
        bool same = (hint.res_class && windowClass == hint.res_class) ||
                    (hint.res_name && windowClass == hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        if (hint.res_name) XFree(hint.res_name);
        if (!same) return false;
    }
    if (!title.empty()) {
        std::string name = text_property(display, window, "_NET_WM_NAME");
        if (name.empty()) name = text_property(display, window, "WM_NAME");
        if (name != title) return false;
    }
    return true;
}

Window search_children(Display *display, Window parent, Window after, bool deep,
                       const std::string &windowClass, const std::string &title) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    bool started = after == 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (!started) {
            started = children[i] == after;
            continue;
        }
        if (window_matches(display, children[i], windowClass, title)) found = children[i];
    }
    // Under a window manager the windows of applications sit inside frames.
    for (unsigned i = 0; i < count && !found && deep; ++i) {
        found = search_children(display, children[i], 0, true, windowClass, title);
    }
    if (children) XFree(children);
    return found;
}

void set_state_atoms(Display *display, Window window, bool fullScreen, bool above) {
    Atom atoms[2];
    int n = 0;
    if (fullScreen) atoms[n++] = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    if (above) atoms[n++] = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);
    if (n == 0) return;
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char *>(atoms), n);
}

// Motif hints: the one widely understood way to ask for no decorations.
void remove_decorations(Display *display, Window window) {
    struct {
        unsigned long flags, functions, decorations;
        long inputMode;
        unsigned long status;
    } hints = {2, 0, 0, 0, 0};
    Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&hints), 5);
}

// The connection of the scene windows, made by the first window thread and
// kept for the next ones (one window thread exists at a time).  Closing it
// would unload the GL driver that GLX loaded for it, with the driver's own
// process-wide state, and make every new window pay for loading it again.
Display *g_windowDisplay = nullptr;

// A server whose last client has just gone (a probe for a display) may be
// resetting and refuse connections for a moment: a few more tries before
// the display counts as missing.
Display *open_display() {
    constexpr int kTries = 20;
    if (g_windowDisplay) return g_windowDisplay;
    for (int i = 0; i < kTries; ++i) {
        if (Display *display = XOpenDisplay(nullptr)) return g_windowDisplay = display;
        if (!std::getenv("DISPLAY")) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

class WindowSurface final : public Surface {
public:
    ~WindowSurface() override {
        if (!display_) return;
        if (context_) {
            glXMakeCurrent(display_, None, nullptr);
            glXDestroyContext(display_, context_);
        }
        if (blank_) XFreeCursor(display_, blank_);
        if (window_) XDestroyWindow(display_, window_);
        if (colormap_) XFreeColormap(display_, colormap_);
        XSync(display_, True);  // the next window starts without our events
    }

    bool open(const SurfaceRequest &request, std::string *why) {
        display_ = open_display();
        if (!display_) return fail(why, "Window Creation Error.");
        XkbSetDetectableAutoRepeat(display_, True, nullptr);
        const int screen = DefaultScreen(display_);
        const int bits = request.colorBits >= 24 ? 8 : request.colorBits >= 15 ? 5 : 1;
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, bits, GLX_GREEN_SIZE,
                            bits, GLX_BLUE_SIZE, bits, GLX_DEPTH_SIZE, 16, None};
        XVisualInfo *visual = glXChooseVisual(display_, screen, attributes);
        if (!visual) return fail(why, "Can't Find A Suitable PixelFormat.");
        Window parent = RootWindow(display_, screen);
        if (request.parent && window_exists(display_, request.parent)) {
            parent = request.parent;
            parent_ = request.parent;
        }
        int x = request.x, y = request.y, w = request.width, h = request.height;
        if (request.fullScreen) {
            x = y = 0;
            w = DisplayWidth(display_, screen);
            h = DisplayHeight(display_, screen);
        }
        colormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual->visual,
                                    AllocNone);
        XSetWindowAttributes set{};
        set.colormap = colormap_;
        set.border_pixel = 0;
        set.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                         PointerMotionMask | StructureNotifyMask | FocusChangeMask |
                         ExposureMask;
        without_x_error(display_, [&] {
            window_ = XCreateWindow(display_, parent, x, y, unsigned(w < 1 ? 1 : w),
                                    unsigned(h < 1 ? 1 : h), 0, visual->depth, InputOutput,
                                    visual->visual, CWColormap | CWBorderPixel | CWEventMask,
                                    &set);
        });
        if (!window_) {
            XFree(visual);
            return fail(why, "Window Creation Error.");
        }
        context_ = glXCreateContext(display_, visual, nullptr, True);
        XFree(visual);
        if (!context_) return fail(why, "Can't Create A GL Rendering Context.");
        describe(request);
        XMapRaised(display_, window_);
        if (!glXMakeCurrent(display_, window_, context_))
            return fail(why, "Can't Activate The GL Rendering Context.");
        width_ = w;
        height_ = h;
        XFlush(display_);
        return true;
    }

    bool next_event(WindowEvent &event, int waitMs) override {
        while (true) {
            if (!XPending(display_)) {
                if (waitMs <= 0) return false;
                pollfd fd{ConnectionNumber(display_), POLLIN, 0};
                if (poll(&fd, 1, waitMs) <= 0) return false;
                waitMs = 0;
                if (!XPending(display_)) return false;
            }
            XEvent x;
            XNextEvent(display_, &x);
            if (translate(x, event)) return true;
        }
    }

    void swap() override { glXSwapBuffers(display_, window_); }

    void set_title(const std::u16string &title) override {
        std::string utf8 = platform::to_utf8(title);
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                        XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(utf8.c_str()), int(utf8.size()));
        XStoreName(display_, window_, utf8.c_str());
        XFlush(display_);
    }

    int show_cursor(bool show) override {
        cursor_ += show ? 1 : -1;
        if (cursor_ >= 0) {
            XUndefineCursor(display_, window_);
        } else {
            if (!blank_) {
                char empty[1] = {0};
                Pixmap pixmap = XCreateBitmapFromData(display_, window_, empty, 1, 1);
                XColor black{};
                blank_ = XCreatePixmapCursor(display_, pixmap, pixmap, &black, &black, 0, 0);
                XFreePixmap(display_, pixmap);
            }
            XDefineCursor(display_, window_, blank_);
        }
        XFlush(display_);
        return cursor_;
    }

    uint32_t window_id() const override { return uint32_t(window_); }

    bool parent_alive() override { return parent_ == 0 || window_exists(display_, parent_); }

    bool parent_rect(int &x, int &y, int &w, int &h) override {
        if (!parent_) return false;
        XWindowAttributes a{};
        Status status = 0;
        Window child = 0;
        bool ok = without_x_error(display_, [&] {
            status = XGetWindowAttributes(display_, parent_, &a);
            if (status) XTranslateCoordinates(display_, parent_, a.root, 0, 0, &x, &y, &child);
        });
        if (!ok || !status) return false;
        w = a.width;
        h = a.height;
        return true;
    }

    void move_resize(int x, int y, int w, int h) override {
        XMoveResizeWindow(display_, window_, x, y, unsigned(w < 1 ? 1 : w),
                          unsigned(h < 1 ? 1 : h));
        XFlush(display_);
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

    void describe(const SurfaceRequest &request) {
        XClassHint hint{};
        char name[] = "OpenTmGl";
        hint.res_name = name;
        hint.res_class = name;
        XSetClassHint(display_, window_, &hint);
        Atom closing = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &closing, 1);
        const int64_t style = request.style ? request.style : kDefaultWindowStyle;
        if (request.fullScreen || (style & kStylePopup)) remove_decorations(display_, window_);
        if (!request.fullScreen && !(style & kStyleThickFrame)) {
            XSizeHints *size = XAllocSizeHints();
            if (size) {
                size->flags = PMinSize | PMaxSize;
                size->min_width = size->max_width = request.width;
                size->min_height = size->max_height = request.height;
                XSetWMNormalHints(display_, window_, size);
                XFree(size);
            }
        }
        set_state_atoms(display_, window_, request.fullScreen,
                        (request.exStyle & kExStyleTopmost) != 0);
        set_title(request.title);
    }

    bool translate(const XEvent &x, WindowEvent &event) {
        event = {};
        switch (x.type) {
        case KeyPress:
        case KeyRelease: {
            XKeyEvent key = x.xkey;
            const int vk = virtual_key_of(XLookupKeysym(&key, 0));
            if (!vk) return false;
            event.kind = x.type == KeyPress ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
            event.code = vk;
            return true;
        }
        case ButtonPress:
        case ButtonRelease: {
            const bool down = x.type == ButtonPress;
            bool twice = false;
            if (down) {
                twice = x.xbutton.button == lastButton_ &&
                        x.xbutton.time - lastPress_ < unsigned(kDoubleClickMs);
                lastButton_ = twice ? 0 : x.xbutton.button;
                lastPress_ = x.xbutton.time;
            }
            event.code = mouse_message_of(x.xbutton.button, down, twice);
            if (!event.code) return false;
            event.kind = WindowEvent::Kind::Mouse;
            event.x = x.xbutton.x;
            event.y = x.xbutton.y;
            return true;
        }
        case MotionNotify:
            event.kind = WindowEvent::Kind::Mouse;
            event.code = kMouseMove;
            event.x = x.xmotion.x;
            event.y = x.xmotion.y;
            return true;
        case ConfigureNotify:
            if (x.xconfigure.width != width_ || x.xconfigure.height != height_) {
                width_ = x.xconfigure.width;
                height_ = x.xconfigure.height;
                event.kind = WindowEvent::Kind::Resize;
                event.width = width_;
                event.height = height_;
                return true;
            }
            event.kind = WindowEvent::Kind::Move;
            event.x = x.xconfigure.x;
            event.y = x.xconfigure.y;
            return true;
        case MapNotify:
        case UnmapNotify:
            event.kind = WindowEvent::Kind::Activate;
            event.code = x.type == MapNotify ? 1 : 0;
            return true;
        case ClientMessage:
            if (Atom(x.xclient.data.l[0]) != XInternAtom(display_, "WM_DELETE_WINDOW", False))
                return false;
            event.kind = WindowEvent::Kind::Close;
            return true;
        default:
            return false;
        }
    }

    Display *display_ = nullptr;
    Window window_ = 0;
    Window parent_ = 0;
    Colormap colormap_ = 0;
    GLXContext context_ = nullptr;
    Cursor blank_ = 0;
    int cursor_ = 0;
    int width_ = 0, height_ = 0;
    unsigned lastButton_ = 0;
    Time lastPress_ = 0;
};

}  // namespace

std::unique_ptr<Surface> create_window_surface(const SurfaceRequest &request, std::string *why) {
    auto surface = std::make_unique<WindowSurface>();
    if (!surface->open(request, why)) return nullptr;
    return surface;
}

bool display_available() {
    Display *display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

uint32_t find_x_window(uint32_t parent, uint32_t after, const std::string &windowClass,
                       const std::string &title) {
    Display *display = XOpenDisplay(nullptr);
    if (!display) return 0;
    Window found = 0;
    without_x_error(display, [&] {
        const Window from = parent ? parent : DefaultRootWindow(display);
        found = search_children(display, from, after, parent == 0, windowClass, title);
    });
    XCloseDisplay(display);
    return uint32_t(found);
}

}  // namespace gllib

namespace gllib {

bool x_window_exists(uint32_t window) {
    if (!window) return false;
    Display *display = XOpenDisplay(nullptr);
    if (!display) return false;
    const bool exists = window_exists(display, window);
    XCloseDisplay(display);
    return exists;
}

}  // namespace gllib
