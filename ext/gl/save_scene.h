// gleSaveScene: the picture in the window saved as a file whose name the
// host asks the user for (host key "MTM_SaveSceneName"), or else as the
// next free OpenTmGl-N.bmp in the current directory.
#pragma once

#include <string>

#include "picture_file.h"
#include "tamrix/tamrix_ext.h"

namespace gllib {

// Writes the picture, showing the specified message when that fails.
bool save_picture_reporting(const std::string &name, const Picture &picture);

double TM_CALL gle_save_scene(int m, double *args, TmCallContext *ctx);

}  // namespace gllib
