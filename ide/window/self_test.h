// A self-test run of the real program, for the smoke test and the README's
// screenshots: with OPENTM_SELF_TEST=DIR in the environment the window
// computes the code window once (F8), waits for a scene the run started
// when its frames are limited, then writes DIR/output.txt (the
// output window's text), DIR/selection.txt (the code window's selected
// text) and DIR/window.png (a picture of the window), and closes itself.
#pragma once

namespace idewin {

class MainWindow;

// Arms the self-test when the variable is set; false otherwise.
bool arm_self_test(MainWindow &window);

}  // namespace idewin
