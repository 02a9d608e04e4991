#include "help_text.h"

#include <cstdio>

#include "host_callbacks.h"
#include "host_functions.h"
#include "output.h"
#include "platform/text.h"

namespace cli {

bool print_help_for(const Engine &engine, const std::string &name) {
    const ModuleServices &services = engine.services();
    std::u16string text;
    if (services.UseTamrix(2) == 0) {
        text = ide::filed_text(engine.exports(), platform::from_utf8(name), ide::TextKind::Help);
        services.UseTamrix(0);
    }
    if (text.empty()) {
        print_diagnostic("tamrix: no help text for '" + name + "'");
        return false;
    }
    std::string utf8 = message_to_utf8(text.c_str());
    if (utf8.empty() || utf8.back() != '\n') utf8 += '\n';
    if (OutputSink *out = host_state().out) {
        out->finish_line();
        out->write(utf8);
        out->finish_line();
    } else {
        std::fputs(utf8.c_str(), stdout);
    }
    return true;
}

}  // namespace cli
