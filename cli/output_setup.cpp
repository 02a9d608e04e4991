#include "output_setup.h"

#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "host_callbacks.h"
#include "session.h"

namespace cli {
namespace {

constexpr size_t kPipeBuffer = size_t(1) << 16;

bool is_utf8_codeset() {
    const char *codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

void prepare_standard_streams() {
    std::signal(SIGPIPE, SIG_IGN);
    if (!isatty(STDOUT_FILENO)) std::setvbuf(stdout, nullptr, _IOFBF, kPipeBuffer);
    if (!std::setlocale(LC_CTYPE, "") || !is_utf8_codeset()) std::setlocale(LC_CTYPE, "C.UTF-8");
}

int output_failure_status(int error) {
    if (error == EPIPE) return kExitBrokenPipe;
    print_diagnostic(std::string("tamrix: cannot write the output: ") + std::strerror(error));
    return kExitIoError;
}

}  // namespace cli
