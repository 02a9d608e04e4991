// The shell's "open" verb (help page, support page and mail address): the
// desktop's xdg-open, started directly, never through a shell, so no text
// is ever interpreted as a command line.
#pragma once

#include <string>

namespace ide {

// Starts `xdg-open target` in the background; false when it cannot start.
bool shell_open(const std::string &target);

}  // namespace ide
