// Window options, title, cursor, placement and the search for windows.
#include <vector>

#include "functions.h"
#include "library.h"
#include "platform/text.h"
#include "surface.h"
#include "window_thread.h"

namespace gllib {

namespace {

enum WindowOption : int {
    kParentWindow = 1,
    kWindowClassStyle,
    kFullWindowExStyle,
    kFullWindowStyle,
    kWindowExStyle,
    kWindowStyle,
    kWindowOtherStyle,
    kWindowPosition,
    kWindowWidthAndHeight,
    kWindowBits,
};

int values_of(int64_t code) {
    return code == kWindowPosition || code == kWindowWidthAndHeight ? 2 : 1;
}

// Applies one option to the options of the next window.
void apply_option(WindowOptions &o, int64_t code, const double *v) {
    switch (code) {
    case kParentWindow: o.parent = handle_arg(v[0]); break;
    case kWindowClassStyle: o.classStyle = integer_arg(v[0]); break;
    case kFullWindowExStyle: o.fullExStyle = integer_arg(v[0]); break;
    case kFullWindowStyle: o.fullStyle = integer_arg(v[0]); break;
    case kWindowExStyle: o.exStyle = integer_arg(v[0]); break;
    case kWindowStyle: o.style = integer_arg(v[0]); break;
    case kWindowOtherStyle: o.otherStyle = integer_arg(v[0]); break;
    case kWindowPosition:
        if (v[0] >= 0 && v[1] >= 0) {
            o.x = int_arg(v[0]);
            o.y = int_arg(v[1]);
        }
        break;
    case kWindowWidthAndHeight:
        // 0 keeps the default size; beyond 16384 no renderer makes a buffer.
        if (v[0] >= 0 && v[1] >= 0 && v[0] <= 16384 && v[1] <= 16384) {
            o.width = v[0] >= 1 ? int_arg(v[0]) : 640;
            o.height = v[1] >= 1 ? int_arg(v[1]) : 480;
        }
        break;
    case kWindowBits:
        if (v[0] >= 1) o.colorBits = int_arg(v[0]);
        break;
    default: break;
    }
}

// A string argument as UTF-8, false when it is no string.
bool utf8_arg(TmCallContext *ctx, double slot, std::string &out) {
    std::u16string_view text;
    if (!formula_string(ctx, slot, text)) return false;
    out = platform::to_utf8(std::u16string(text));
    return true;
}

}  // namespace

// Every pair is checked before any is applied, so a bad call changes
// nothing.
GLE_FUNCTION(sf_gleSetWindowMode) {
    const int n = argument_count(m);
    for (int i = 0; i < n;) {
        const int64_t code = integer_arg(args[i]);
        if (code < kParentWindow || code > kWindowBits)
            return report_error(u"gleSetWindowMode", 1, ctx);
        if (i + values_of(code) >= n) return report_error(u"gleSetWindowMode", 2, ctx);
        i += 1 + values_of(code);
    }
    Scene &s = scene();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < n;) {
        const int64_t code = integer_arg(args[i]);
        apply_option(s.options, code, args + i + 1);
        i += 1 + values_of(code);
    }
    return 0;
}

GLE_FUNCTION(sf_gleSetWindowText) {
    (void)m;
    ON_WINDOW_THREAD();
    std::u16string_view text;
    if (!formula_string(ctx, args[0], text)) return report_error(u"gleSetWindowText", 1, ctx);
    set_title(scene(), std::u16string(text));
    return 0;
}

GLE_FUNCTION(sf_gleShowCursor) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    return double(window_context()->surface->show_cursor(args[0] != 0));
}

GLE_FUNCTION(sf_gleFindWindow) {
    const int n = argument_count(m);
    if (n != 2 && n != 4) return report_error(u"gleFindWindow", 1, ctx);
    std::string windowClass, title;
    const int text = n == 2 ? 0 : 2;
    if (!utf8_arg(ctx, args[text], windowClass) || !utf8_arg(ctx, args[text + 1], title))
        return report_error(u"gleFindWindow", 2, ctx);
    const uint32_t parent = n == 4 ? handle_arg(args[0]) : 0;
    const uint32_t after = n == 4 ? handle_arg(args[1]) : 0;
    const uint32_t found = find_x_window(parent, after, windowClass, title);
    return found ? extproto::handle_as_real(found) : 0;
}

// The window is a child of its parent here, so its position is always
// relative to the parent; a position "without the parent's corner" is a
// position on the screen and is turned into a relative one.
GLE_FUNCTION(sf_gleMoveWindow) {
    ON_WINDOW_THREAD();
    const int n = argument_count(m);
    if (n != 0 && n != 1 && n != 4 && n != 5) return report_error(u"gleMoveWindow", 1, ctx);
    WindowContext &w = *window_context();
    Scene &s = scene();
    int px = 0, py = 0, pw = 0, ph = 0;
    const bool hasParent = w.parent && w.surface->parent_rect(px, py, pw, ph);
    int width = 0, height = 0;
    w.surface->current_size(width, height);
    int ox = 0, oy = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        ox = s.options.x;
        oy = s.options.y;
    }
    if (n <= 1) {
        if (!hasParent) return 0;
        const bool changed = !w.parentKnown || px != w.parentX || py != w.parentY ||
                             pw != w.parentW || ph != w.parentH;
        w.parentKnown = true;
        w.parentX = px, w.parentY = py, w.parentW = pw, w.parentH = ph;
        if (!changed) return 0;
        if (n == 0) w.surface->move_resize(ox, oy, width, height);
        else w.surface->move_resize(ox - px, oy - py, width, height);
        return 0;
    }
    const int x = int_arg(args[0]), y = int_arg(args[1]);
    const int wNew = int_arg(args[2]), hNew = int_arg(args[3]);
    if (wNew < 1 || hNew < 1 || wNew > 16384 || hNew > 16384) return 0;
    if (n == 5 && hasParent) w.surface->move_resize(x - px, y - py, wNew, hNew);
    else w.surface->move_resize(x, y, wNew, hNew);
    return 0;
}

}  // namespace gllib
