// Where a scene is drawn: an X11 window with a GLX context, or an offscreen
// EGL pbuffer.  A surface is made, used and destroyed on the window thread;
// its rendering context is current there for its whole life.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gllib {

// What the window thread learns from the window system.
struct WindowEvent {
    enum class Kind { KeyDown, KeyUp, Mouse, Resize, Move, Activate, Close };
    Kind kind = Kind::Close;
    int code = 0;        // virtual-key code, mouse message, or 1/0 for Activate
    double x = 0, y = 0; // mouse position, or the new position (Move)
    int width = 0, height = 0;  // Resize
};

// How the window is made (the options of the scene record, read at creation).
struct SurfaceRequest {
    uint32_t parent = 0;   // an X window id to embed into; 0: the root window
    int x = 0, y = 0;      // position, relative to the parent
    int width = 640, height = 480;
    int colorBits = 16;
    bool fullScreen = false;
    // Win32 style numbers, kept where X11 has a meaning for them.
    int64_t style = 0, exStyle = 0;
    std::u16string title;
};

class Surface {
public:
    virtual ~Surface() = default;
    // The next event, waiting up to waitMs (0: only what is queued).
    virtual bool next_event(WindowEvent &event, int waitMs) = 0;
    virtual void swap() = 0;
    virtual void set_title(const std::u16string &title) = 0;
    // Cursor display counter as the original window system keeps it: the
    // cursor shows while the count is >= 0.  Returns the new count.
    virtual int show_cursor(bool show) = 0;
    // The window's id (0 offscreen) and whether the parent still exists.
    virtual uint32_t window_id() const = 0;
    virtual bool parent_alive() = 0;
    // The parent's rectangle in root coordinates; false without a parent.
    virtual bool parent_rect(int &x, int &y, int &w, int &h) = 0;
    // Moves and sizes the window (position relative to the parent).
    virtual void move_resize(int x, int y, int w, int h) = 0;
    virtual void current_size(int &w, int &h) const = 0;
};

// The window, or null with *why set (the message the user sees).
std::unique_ptr<Surface> create_window_surface(const SurfaceRequest &request, std::string *why);
std::unique_ptr<Surface> create_offscreen_surface(const SurfaceRequest &request, std::string *why);

// Whether an X display can be opened at all (decides offscreen rendering
// when the start options leave it open).
bool display_available();

// Whether an X window with this id exists (false without a display).
bool x_window_exists(uint32_t window);

// Searches the X windows below `parent` (0: the root) for a top-level window
// with this class and title (an empty text matches any), starting after
// `after` among the parent's children; 0 when none.
uint32_t find_x_window(uint32_t parent, uint32_t after, const std::string &windowClass,
                       const std::string &title);

}  // namespace gllib
