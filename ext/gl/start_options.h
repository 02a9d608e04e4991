// The library's start argument: the text after its name in the host's list
// ("OpenTmGl32W.dll:offscreen frames=3 size=320x240 save=out.png").  It lets
// scenes run unattended: rendered without a window, ended after a number of
// frames, the last frame saved to a file.
#pragma once

#include <string>

namespace gllib {

struct StartOptions {
    // Render into an offscreen buffer instead of a window; also chosen when
    // no display can be opened.
    bool offscreen = false;
    // Frames after which the window thread ends; 0: no limit.
    long frames = 0;
    // The window size every scene starts with (a script may change it).
    int width = 640;
    int height = 480;
    // Where the last frame goes when the thread ends after `frames`
    // ("" : nowhere); a name ending in ".png" is written as PNG, else BMP.
    std::string save;
};

struct ParsedStartOptions {
    bool ok = true;
    std::string error;  // the word that was not understood
    StartOptions options;
};

// Words separated by blanks or commas: "offscreen", "window", "frames=N"
// (N >= 0), "size=WxH" (1..16384 each), "save=FILE".  Null or empty: the
// defaults.
ParsedStartOptions parse_start_options(const char16_t *argument);

}  // namespace gllib
