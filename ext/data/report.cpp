#include "report.h"

#include "library.h"
#include "limits.h"

namespace tmdata {

namespace {

char16_t g_message[kMessageLimit];

constexpr std::u16string_view kTooLong = u"太长的运行错误信息，无法显示... ...";

}  // namespace

bool error_pending() {
    const Library *lib = library();
    return lib && lib->runErrorType && __atomic_load_n(lib->runErrorType, __ATOMIC_RELAXED) != 0;
}

void report_error(TmCallContext *ctx, int errorType, std::u16string_view prefix,
                  std::u16string_view message, std::u16string_view suffix,
                  std::initializer_list<std::u16string_view> extras) {
    Library *lib = library();
    if (!lib || error_pending()) return;
    size_t length = 0;
    auto append = [&](std::u16string_view text) {
        text.copy(g_message + length, text.size());
        length += text.size();
    };
    if (prefix.size() + message.size() + suffix.size() >= size_t(kMessageLimit)) {
        append(kTooLong);
    } else {
        append(prefix);
        append(message);
        append(suffix);
    }
    for (std::u16string_view extra : extras) {
        if (length + extra.size() < size_t(kMessageLimit)) append(extra);
    }
    g_message[length] = 0;
    lib->kernel.SetRunErr(errorType, g_message, 1, 0, ctx);
}

}  // namespace tmdata
