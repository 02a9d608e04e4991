// The scene window under a virtual X server: keys typed into it reach the
// frame loop as virtual-key codes.  F2 twice goes to full screen and back
// with the scene state kept; Esc closes the window, which ends a work-mode
// scene the host waits for.
// gtest first: Xlib defines macros (None, Bool) that clash with its names.
#include "gl_host.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <bit>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace gltest {
namespace {

int ignore_errors(Display *, XErrorEvent *) { return 0; }

class SceneWindow : public GlHost {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        GlHost::SetUp();
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XSetErrorHandler(ignore_errors);
    }
    void TearDown() override {
        if (display) XCloseDisplay(display);
        if (std::getenv("DISPLAY")) GlHost::TearDown();
    }

    // The scene window (class "OpenTmGl"), waited for until it has the
    // size asked for (0: any).  A window made again may get the id of the
    // one it replaces, so the size tells them apart.
    Window find_window(int width = 0, int height = 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            Window w = search(DefaultRootWindow(display));
            int ww = 0, hh = 0;
            if (w) size_of(w, ww, hh);
            if (w && (width == 0 || (ww == width && hh == height))) return w;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }

    void press(Window window, KeySym key) {
        XEvent e{};
        e.xkey.type = KeyPress;
        e.xkey.display = display;
        e.xkey.window = window;
        e.xkey.root = DefaultRootWindow(display);
        e.xkey.keycode = XKeysymToKeycode(display, key);
        e.xkey.same_screen = True;
        XSendEvent(display, window, True, KeyPressMask, &e);
        XFlush(display);
    }

    void size_of(Window window, int &w, int &h) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, window, &a);
        w = a.width;
        h = a.height;
    }

    void click(Window window, int x, int y) {
        for (int type : {ButtonPress, ButtonRelease}) {
            XEvent e{};
            e.xbutton.type = type;
            e.xbutton.display = display;
            e.xbutton.window = window;
            e.xbutton.root = DefaultRootWindow(display);
            e.xbutton.button = Button1;
            e.xbutton.x = x;
            e.xbutton.y = y;
            e.xbutton.same_screen = True;
            XSendEvent(display, window, True, type == ButtonPress ? ButtonPressMask
                                                                  : ButtonReleaseMask, &e);
        }
        XFlush(display);
    }

    std::string title_of(Window window) {
        char *name = nullptr;
        std::string title;
        if (XFetchName(display, window, &name) && name) {
            title = name;
            XFree(name);
        }
        return title;
    }

    Display *display = nullptr;

private:
    Window search(Window parent) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
        Window found = 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            XClassHint hint{};
            if (XGetClassHint(display, children[i], &hint)) {
                if (hint.res_class && std::strcmp(hint.res_class, "OpenTmGl") == 0)
                    found = children[i];
                if (hint.res_class) XFree(hint.res_class);
                if (hint.res_name) XFree(hint.res_name);
            }
            if (!found) found = search(children[i]);
        }
        if (children) XFree(children);
        return found;
    }
};

TEST_F(SceneWindow, F2TwiceKeepsTheSceneAndEscClosesTheWindow) {
    ASSERT_TRUE(start_graphics(u"window,size=200x150"));
    lock();
    run_module(u"s(x) = glClear(), probe();\n"
               u"gleWorkDrawScene(HFor(\"s\", 2));\n"
               u"gleAxis(0.5, 0.25, -1);\n"
               u"gleAngleRate(2);");
    unlock();
    const Window first = find_window(200, 150);
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(wait_for_probes(1));

    press(first, XK_F2);
    const Window full = find_window(DisplayWidth(display, DefaultScreen(display)),
                                    DisplayHeight(display, DefaultScreen(display)));
    ASSERT_NE(full, 0u);

    press(full, XK_F2);
    const Window back = find_window(200, 150);
    ASSERT_NE(back, 0u);

    lock();
    EXPECT_EQ(evaluate(u"gleAxis(1)"), 0.5);
    EXPECT_EQ(evaluate(u"gleAxis(3)"), -1);
    EXPECT_EQ(evaluate(u"gleVirtualKey(113)"), 0);
    unlock();

    // F3 switches to timer mode and its title; gleFindWindow finds the
    // window by class and title.
    press(back, XK_F3);
    const std::string timerTitle = "OpenTM&OpenGL - 计时器模式 [F1：帮助]";
    for (int i = 0; i < 3000 && title_of(back) != timerTitle; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(title_of(back), timerTitle);
    lock();
    const double found = evaluate(u"gleFindWindow(\"OpenTmGl\", \"OpenTM&OpenGL - 计时器模式 [F1：帮助]\")");
    EXPECT_EQ(std::bit_cast<uint64_t>(found), uint64_t(back));
    EXPECT_EQ(evaluate(u"gleFindWindow(\"OpenTmGl\", \"no such title\")"), 0);
    unlock();

    const int probes = probe_count();
    press(back, XK_Escape);
    wait_for_scene();
    EXPECT_GT(probe_count(), probes);
}

// A scene window given a parent (an X window id) lives inside it and ends
// when the parent goes away.
TEST_F(SceneWindow, ChildOfAParentWindowEndsWithIt) {
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 300,
                                              200, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    ASSERT_TRUE(start_graphics(u"window,size=100x80"));
    lock();
    run_module(u"s(x) = glClear(), probe();\n"
               u"gleWorkDrawScene(HFor(\"s\", 2));\n"
               u"gleSetWindowMode(GLE_ParentWindow, " + std::u16string(u"") +
               [&] {
                   std::string id = std::to_string(parent);
                   return std::u16string(id.begin(), id.end());
               }() + u", GLE_WindowPosition, 20, 30);");
    unlock();
    const Window child = find_window(100, 80);
    ASSERT_NE(child, 0u);
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display, child, &root, &up, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(up, parent);
    ASSERT_TRUE(wait_for_probes(1));
    XDestroyWindow(display, parent);
    XSync(display, False);
    wait_for_scene();
}

// A click is seen by one frame (gleGetMouseMsg with its position); the
// scene moves and sizes its own window and hides the cursor.
TEST_F(SceneWindow, MouseClickWindowPlacementAndCursor) {
    ASSERT_TRUE(start_graphics(u"window,size=120x90"));
    lock();
    run_module(u"s(x : px, py) = glClear(),\n"
               u"    if(gleGetMouseMsg(WM_LBUTTONDOWN, &px, &py) * (px == 17) * (py == 23), probe()),\n"
               u"    if(gleIsInitScene(), gleShowCursor(0), gleMoveWindow(5, 6, 150, 100));\n"
               u"gleWorkDrawScene(HFor(\"s\", 2));");
    unlock();
    const Window window = find_window(150, 100);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(probe_count(), 0);
    click(window, 17, 23);
    ASSERT_TRUE(wait_for_probes(1));
    lock();
    EXPECT_EQ(evaluate(u"gleVirtualKey(27, 1)"), 1);
    unlock();
    wait_for_scene();
    EXPECT_EQ(probe_count(), 1);
}

// A key held down moves the scene each frame: Right adds the axis step to
// x, with Shift the angle step to angle x.
TEST_F(SceneWindow, ArrowKeysNavigate) {
    ASSERT_TRUE(start_graphics(u"window,size=120x90"));
    lock();
    run_module(u"s(x) = glClear(), probe();\n"
               u"gleWorkDrawScene(HFor(\"s\", 2));\n"
               u"gleAxisRate(0.25);");
    unlock();
    const Window window = find_window();
    ASSERT_NE(window, 0u);
    press(window, XK_Right);
    ASSERT_TRUE(wait_for_probes(probe_count() + 3));
    lock();
    const double x = evaluate(u"gleAxis(1)");
    EXPECT_GT(x, 0.2);
    EXPECT_EQ(evaluate(u"gleVirtualKey(39)"), 1);  // still down: no release came
    EXPECT_EQ(evaluate(u"gleVirtualKey(39, 0) + gleVirtualKey(27, 1)"), 1);
    unlock();
    wait_for_scene();
}

}  // namespace
}  // namespace gltest
