// Embedding the Tamrix kernel in a C++ program: register an external
// function, compile formulas, evaluate them, read run errors.
//
// Built against an installed Tamrix with find_package(Tamrix) or with
// `pkg-config --cflags --libs tamrix` (see CMakeLists.txt and the README).
#include <tamrix/tamrix.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// SetFunction's type code for an external function of real formulas.
constexpr int kRealFunction = 5;

// hypot2(x, y) = sqrt(x*x + y*y); refuses NaN arguments with a run error,
// recorded only when none is pending so the first error stays the one seen.
double hypot2(int m, double *args, TmCallContext *ctx) {
    if (m != 1) return 0;
    if (std::isnan(args[0]) || std::isnan(args[1])) {
        if (TestRunErr() == 0) SetRunErr(2, u"hypot2", 1, 0, ctx);
        return 0;
    }
    return std::sqrt(args[0] * args[0] + args[1] * args[1]);
}

std::string narrow(const char16_t *text) {
    std::string out;
    for (; text && *text; ++text) out += *text < 0x80 ? char(*text) : '?';
    return out;
}

// Compiles one real formula in module 1; null (and a message) on an error.
void *compile(const std::u16string &source) {
    void *formula = nullptr;
    int params = 0, first = 0, last = 0;
    double *data = nullptr;
    int status = RealCom(source.c_str(), 1, &formula, &params, &data, &first, &last);
    if (status != TM_OK) {
        std::printf("%s: compile error %d at %d-%d\n", narrow(source.c_str()).c_str(), status,
                    first, last);
        return nullptr;
    }
    return formula;
}

// Evaluates a formula without parameters and prints its value, or the run
// error it recorded (reading the record clears it).
void run(const std::u16string &source) {
    void *formula = compile(source);
    if (!formula) return;
    double value = RealCal(formula, nullptr);
    int type = 0, code = 0, formula_type = 0;
    const char16_t *name = nullptr;
    void *where = nullptr;
    GetRunErr(&type, &name, &code, &formula_type, &where);
    if (type != 0)
        std::printf("%s: run error type %d in %s, code %d\n", narrow(source.c_str()).c_str(),
                    type, narrow(name).c_str(), code);
    else
        std::printf("%s = %.15g\n", narrow(source.c_str()).c_str(), value);
}

}  // namespace

int main() {
    if (!InitTamrix()) return 1;
    SetFunction(kRealFunction, u"hypot2", reinterpret_cast<void *>(&hypot2), 1);
    compile(u"f(x)=x*x+1");
    run(u"f(3)");
    run(u"hypot2(3, 4) + f(0)");
    run(u"hypot2(sqrt(-1), 1)");
    run(u"which(0, 1)");
    run(u"2*-3");
    FreeTamrix();
    return 0;
}
