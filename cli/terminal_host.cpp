#include "terminal_host.h"

#include "host_callbacks.h"
#include "platform/text.h"

namespace cli {

void TerminalHost::append_output(std::u16string_view text) {
    std::u16string copy(text);
    host_message(copy.c_str());
}

int TerminalHost::message_box(std::u16string_view text, std::u16string_view caption, int style) {
    std::u16string t(text), c(caption);
    return host_message_box(t.c_str(), c.c_str(), style);
}

}  // namespace cli
