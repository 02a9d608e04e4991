// One frame's scene: the scene formula evaluated under the workspace lock
// taken without waiting, the report of a run error it raised, and the
// no-signal picture shown whenever the scene cannot be drawn.
#pragma once

#include "glyph_lists.h"

namespace gllib {

enum class SceneResult {
    Drawn,     // the workspace was free: the scene (or, if gone, no signal)
    Busy,      // the workspace was taken: no signal
    Quit,      // the host is quitting outside work mode: end the thread
};

SceneResult evaluate_scene(const GlyphLists &glyphs);

// Clears the picture and writes "没 有 信 号 ！".
void draw_no_signal(const GlyphLists &glyphs);

}  // namespace gllib
