// A shared library without the extension entry point.
#include "extension_kit.h"

TEST_EXTENSION_EXPORT int TM_CALL NotAnExtension(void) { return 1; }
