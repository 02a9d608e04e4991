// The registration tables of the opt:: functions (real formulas; any number
// of arguments, each function checks its own count) and of the algorithm
// constants.
#include "script_functions.h"

#include "call.h"
#include "functions.h"
#include "minimizer.h"

namespace optlib {

namespace {

constexpr char16_t kBrent[] = u"opt::brent";
constexpr char16_t kMinimize[] = u"opt::minimize";
constexpr char16_t kFit[] = u"opt::fit";

template <double (*function)(const Library &, int, double *, TmCallContext *),
          const char16_t *name>
double TM_CALL entry_point(int m, double *args, TmCallContext *ctx) {
    Library *lib = library();
    if (!lib) return 0;
    try {
        return function(*lib, m, args, ctx);
    } catch (...) {
        // Only allocation can throw, before any run starts.
        if (lib->kernel.TestRunErr() == 0) lib->kernel.SetRunErr(2, name, kNoMemory, 0, ctx);
        return 0;
    }
}

void *entry(double(TM_CALL *f)(int, double *, TmCallContext *)) {
    return reinterpret_cast<void *>(f);
}

const extproto::ScriptFunction kRealFunctions[] = {
    {extproto::kRealFunction, kBrent, entry(entry_point<opt_brent, kBrent>), -2},
    {extproto::kRealFunction, kMinimize, entry(entry_point<opt_minimize, kMinimize>), -2},
    {extproto::kRealFunction, kFit, entry(entry_point<opt_fit, kFit>), -2},
};

constexpr double kNelderMeadValue = kNelderMead;
constexpr double kSubplexValue = kSubplex;
constexpr double kBobyqaValue = kBobyqa;
constexpr double kCobylaValue = kCobyla;
constexpr double kLbfgsValue = kLbfgs;

const extproto::ScriptConstant kRealConstants[] = {
    {extproto::kRealConst, u"opt::NELDERMEAD", &kNelderMeadValue},
    {extproto::kRealConst, u"opt::SUBPLEX", &kSubplexValue},
    {extproto::kRealConst, u"opt::BOBYQA", &kBobyqaValue},
    {extproto::kRealConst, u"opt::COBYLA", &kCobylaValue},
    {extproto::kRealConst, u"opt::LBFGS", &kLbfgsValue},
};

}  // namespace

std::span<const extproto::ScriptFunction> real_functions() { return kRealFunctions; }
std::span<const extproto::ScriptConstant> real_constants() { return kRealConstants; }

}  // namespace optlib
