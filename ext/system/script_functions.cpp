// The registration tables of the sys:: functions and constants, and the
// entry points that read the slots: integer formulas give 64-bit slots,
// real formulas numbers (a handle through extproto::real_slot_handle, a type
// truncated).
#include "script_functions.h"

#include <ctime>

#include "ext/protocol/real_slots.h"
#include "library.h"
#include "platform/text.h"
#include "script_call.h"
#include "shell_execute.h"
#include "system_functions.h"

namespace syslib {

namespace {

constexpr int64_t kClocksPerSecond = 1000;
constexpr double kClocksPerSecondReal = 1000.0;

// A function registered with a fixed count is called with exactly that
// count; the check only guards against a library that is not started.
template <int64_t (*function)(Library &, int64_t *, TmCallContext *), int lastParam>
int64_t TM_CALL fixed_entry(int m, int64_t *args, TmCallContext *ctx) {
    Library *lib = library();
    if (!lib || m != lastParam) return 0;
    try {
        return function(*lib, args, ctx);
    } catch (...) {
        return 0;
    }
}

int64_t TM_CALL int_call(int m, int64_t *args, TmCallContext *ctx) {
    Library *lib = library();
    if (!lib) return 0;
    const int64_t type = m >= 0 ? args[0] : 0;
    const uint32_t handle = m >= 1 ? uint32_t(uint64_t(args[1])) : 0;
    return sys_call(*lib, m, type, handle, args, ctx, 1);
}

double TM_CALL real_call(int m, double *args, TmCallContext *ctx) {
    Library *lib = library();
    if (!lib) return 0;
    const int64_t type = m >= 0 ? extproto::real_slot_integer(args[0]) : 0;
    const uint32_t handle = m >= 1 ? extproto::real_slot_handle(args[1]) : 0;
    return double(sys_call(*lib, m, type, handle, args, ctx, 2));
}

// Processor time of the process in thousandths of a second.
int64_t TM_CALL int_clock(int, int64_t *, TmCallContext *) {
    return int64_t(std::clock()) * kClocksPerSecond / CLOCKS_PER_SEC;
}

double TM_CALL real_clock(int, double *, TmCallContext *) {
    return double(std::clock()) * kClocksPerSecondReal / CLOCKS_PER_SEC;
}

void *entry(auto function) { return reinterpret_cast<void *>(function); }

const extproto::ScriptFunction kIntegerFunctions[] = {
    {extproto::kIntFunction, u"sys::comfor", entry(fixed_entry<sys_comfor, 5>), 5},
    {extproto::kIntFunction, u"sys::comfors", entry(fixed_entry<sys_comfors, 5>), 5},
    {extproto::kIntFunction, u"sys::testtmfor", entry(fixed_entry<sys_testtmfor, 0>), 0},
    {extproto::kIntFunction, u"sys::call", entry(int_call), -2},
    {extproto::kIntFunction, u"sys::clock", entry(int_clock), -1},
    {extproto::kIntFunction, u"sys::ShellExecute", entry(fixed_entry<sys_shell_execute, 5>), 5},
};

const extproto::ScriptFunction kRealFunctions[] = {
    {extproto::kRealFunction, u"sys::call", entry(real_call), -2},
    {extproto::kRealFunction, u"sys::clock", entry(real_clock), -1},
};

const extproto::ScriptConstant kIntegerConstants[] = {
    {extproto::kIntConst, u"sys::CLOCKS_PER_SEC", &kClocksPerSecond},
};

const extproto::ScriptConstant kRealConstants[] = {
    {extproto::kRealConst, u"sys::CLOCKS_PER_SEC", &kClocksPerSecondReal},
};

}  // namespace

// ShellExecute(window, operation, file, parameters, directory, show): the
// four texts are literals of the calling formula (code 1 for one outside
// its strings); the window and the show command mean nothing here.
int64_t sys_shell_execute(Library &lib, int64_t *args, TmCallContext *ctx) {
    const Call call{lib, ctx, u"sys::ShellExecute", 1};
    std::u16string texts[4];
    for (int i = 0; i < 4; ++i)
        if (!caller_text(lib, ctx, args[i + 1], &texts[i])) return call.fail(1);
    if (!lib.shellEnabled) return kShellAccessDenied;
    const ShellRequest request{platform::to_utf8(texts[0]), platform::to_utf8(texts[1]),
                               platform::to_utf8(texts[2]), platform::to_utf8(texts[3])};
    return shell_execute(request, lib.children);
}

std::span<const extproto::ScriptFunction> integer_functions() { return kIntegerFunctions; }
std::span<const extproto::ScriptFunction> real_functions() { return kRealFunctions; }
std::span<const extproto::ScriptConstant> integer_constants() { return kIntegerConstants; }
std::span<const extproto::ScriptConstant> real_constants() { return kRealConstants; }

}  // namespace syslib
