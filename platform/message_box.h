// Message boxes shown by libraries (start-up and registration failures).
//
// A library cannot open a window of its own: it asks the host, which
// publishes a handler under the key "MTM_MessageBox" (type 256).  Without a
// handler the text goes to standard error and the default answer comes back,
// so a library behaves the same under a terminal host and in tests.
#pragma once

#include <string>

namespace platform {

// Button sets and icons (the low bits of a style), and the answers.
enum MessageBoxStyle : int {
    kBoxOk = 0x0,
    kBoxOkCancel = 0x1,
    kBoxYesNoCancel = 0x3,
    kBoxYesNo = 0x4,
    kBoxIconError = 0x10,
    kBoxIconQuestion = 0x20,
    kBoxIconWarning = 0x30,
    kBoxIconInformation = 0x40,
};
enum MessageBoxAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// The kernel's SearchKey, as the platform layer needs it to find the host's
// handler.  The layer cannot load the kernel itself: whoever binds the
// kernel installs it (and removes it, with null, before the kernel goes).
using KeySearchFunction = void *(*)(const void *key, int byteLen, int keyType);
void set_key_search(KeySearchFunction search);

// Shows text with caption through the host's handler, or writes
// "caption: text" to standard error.  Returns the button pressed, or the
// default answer of the style's button set (Yes for Yes/No sets, else OK).
int message_box(const std::u16string &text, const std::u16string &caption, int style = kBoxOk);

// The answer a box of this style gives when nobody can be asked.
int default_answer(int style);

}  // namespace platform
