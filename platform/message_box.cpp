#include "message_box.h"

#include <atomic>
#include <cstdio>

#include "text.h"

namespace platform {

namespace {

using HostMessageBox = int (*)(const char16_t *text, const char16_t *caption, int style);

constexpr char kHandlerKey[] = "MTM_MessageBox";
constexpr int kHostKeyType = 256;

// Each deliverable links its own copy of this layer, so each has its own
// lookup; a host thread and a library thread may show boxes concurrently.
std::atomic<KeySearchFunction> g_search{nullptr};

HostMessageBox host_handler() {
    KeySearchFunction search = g_search.load();
    if (!search) return nullptr;
    return reinterpret_cast<HostMessageBox>(
        search(kHandlerKey, int(sizeof kHandlerKey - 1), kHostKeyType));
}

}  // namespace

void set_key_search(KeySearchFunction search) { g_search.store(search); }

int default_answer(int style) {
    int buttons = style & 0xF;
    return buttons == kBoxYesNo || buttons == kBoxYesNoCancel ? kAnswerYes : kAnswerOk;
}

int message_box(const std::u16string &text, const std::u16string &caption, int style) {
    if (HostMessageBox handler = host_handler()) return handler(text.c_str(), caption.c_str(), style);
    std::string line = to_utf8(caption) + ": " + to_utf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return default_answer(style);
}

}  // namespace platform
