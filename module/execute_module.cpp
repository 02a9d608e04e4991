#include "execute_module.h"

#include <string>

#include "evaluate.h"
#include "run_report.h"

namespace modlib {

const char16_t kModuleLibraryVersion[] = u"MTamrix32W 模块库 9.0";

namespace {

void hand_out(const FormulaValue &value, TmIntOut intOut, TmRealOut realOut,
              TmComplexOut complexOut) {
    switch (value.type) {
    case TM_INTEGER:
        if (intOut) intOut(value.integer);
        break;
    case TM_REAL:
        if (realOut) realOut(value.real);
        break;
    case TM_COMPLEX:
        if (complexOut) complexOut(value.complex.re, value.complex.im);
        break;
    default: break;
    }
}

}  // namespace

void execute_module(Library &lib, TmModuleNode *list, TmIntOut intOut, TmRealOut realOut,
                    TmComplexOut complexOut) {
    if (!list || lib.modules.find(list) == lib.modules.end()) return;
    const extproto::KernelExports &kernel = lib.kernel;
    lib.talk = true;
    // A "stop" from a formula run while compiling must not cut this run short.
    lib.stop = false;
    take_run_error(kernel);

    for (TmModuleNode *node = list; node; node = node->next) {
        if (node->run == 1) {
            FormulaValue value = evaluate_formula(kernel, node->type, node->hFor);
            if (lib.talk) hand_out(value, intOut, realOut, complexOut);
        }
        if (lib.stop.exchange(false)) break;
    }

    RunError error = take_run_error(kernel);
    if (lib.talk) print_run_error(kernel, error);
}

namespace {

// Script functions: real, (argument count - 1, arguments, call context).

double TM_CALL script_version(int, double *, TmCallContext *) {
    Library *lib = library();
    if (!lib) return 0;
    auto message = host_message_function(lib->kernel);
    if (!message) return 0;
    std::u16string text = u"\r\n";
    if (const char16_t *kernelVersion = lib->kernel.TamrixVer()) text += kernelVersion;
    text += u"\r\n";
    text += kModuleLibraryVersion;
    text += u"\r\n";
    message(text.c_str());
    return 0;
}

double TM_CALL script_err(int, double *, TmCallContext *) {
    Library *lib = library();
    if (!lib) return 0;
    RunError error = take_run_error(lib->kernel);
    print_run_error(lib->kernel, error);
    return error.type;
}

double TM_CALL script_stop(int, double *, TmCallContext *) {
    if (Library *lib = library()) lib->stop = true;
    return 0;
}

double TM_CALL script_set_talk(int m, double *args, TmCallContext *) {
    double x = m >= 0 && args ? args[0] : 0;
    if (Library *lib = library()) lib->talk = x != 0;
    return x;
}

void *entry(double(TM_CALL *f)(int, double *, TmCallContext *)) {
    return reinterpret_cast<void *>(f);
}

const extproto::ScriptFunction kScriptFunctions[] = {
    {extproto::kRealFunction, u"MTamrixVer", entry(script_version), -1},
    {extproto::kRealFunction, u"err", entry(script_err), -1},
    {extproto::kRealFunction, u"stop", entry(script_stop), -1},
    {extproto::kRealFunction, u"SetTalk", entry(script_set_talk), 0},
};

}  // namespace

std::span<const extproto::ScriptFunction> script_functions() { return kScriptFunctions; }

}  // namespace modlib
