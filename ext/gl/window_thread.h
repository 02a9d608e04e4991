// The window thread: creates the window (or offscreen buffer), runs the
// frame loop in fast or timer mode, and tears the window down when the
// quit flag is set.
#pragma once

#include <memory>

#include "glyph_lists.h"
#include "picture_file.h"
#include "surface.h"
#include "tamrix/tamrix.h"

namespace gllib {

// What only the window thread touches while its window exists.
struct WindowContext {
    std::unique_ptr<Surface> surface;
    GlyphLists glyphs;
    uint32_t parent = 0;      // the parent given at creation
    int parentX = 0, parentY = 0, parentW = 0, parentH = 0;  // as gleMoveWindow saw it
    bool parentKnown = false;
};

// The context of the calling thread's window, or null off the window thread.
WindowContext *window_context();

// Starts the thread when none runs (gleDrawScene, gleWorkDrawScene).
void start_window_thread();

// Waits until a scene that has to be waited for ends: one in work mode with
// a window the user can close, or one with a frame limit.  Published as the
// service "gleWaitScene" so a host can wait before it closes its modules.
void TM_CALL wait_for_scene();

// Reads the drawing buffer (pack alignment 1), bottom row first.
Picture read_picture();

// Viewport and projection for a client area of w x h.
void apply_viewport(int w, int h);

}  // namespace gllib
