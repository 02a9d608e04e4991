// The module-system built-ins through compiled formulas in several modules:
// module names ("Module"), exports ("OutFun"), used modules ("using"),
// qualified names A::B::f in the compilers and GetFor, and formula handles
// carried in numbers ("HFor").
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/builtins/builtins.h"
#include "kernel/builtins/script_args.h"
#include "kernel/record.h"
#include "kernel/registry/module_names.h"
#include "kernel/registry/modules.h"
#include "kernel/registry/registry.h"
#include "tamrix/tamrix.h"

namespace {

using tmx::FormulaRecord;

std::u16string u16(const std::string &s) { return {s.begin(), s.end()}; }

int compile_status(const std::string &src, int module, int type = 2) {
    void *h = nullptr;
    int params = 0, b = 0, e = 0;
    std::u16string text = u16(src);
    if (type == 1) {
        int64_t *d = nullptr;
        return IntCom(text.c_str(), module, &h, &params, &d, &b, &e);
    }
    if (type == 3) {
        TmComplex *d = nullptr;
        return ComplexCom(text.c_str(), module, &h, &params, &d, &b, &e);
    }
    double *d = nullptr;
    return RealCom(text.c_str(), module, &h, &params, &d, &b, &e);
}

void *compiled(const std::string &src, int module, int type = 2) {
    void *h = nullptr;
    int params = 0, b = 0, e = 0;
    std::u16string text = u16(src);
    int rc = 0;
    if (type == 1) {
        int64_t *d = nullptr;
        rc = IntCom(text.c_str(), module, &h, &params, &d, &b, &e);
    } else if (type == 3) {
        TmComplex *d = nullptr;
        rc = ComplexCom(text.c_str(), module, &h, &params, &d, &b, &e);
    } else {
        double *d = nullptr;
        rc = RealCom(text.c_str(), module, &h, &params, &d, &b, &e);
    }
    EXPECT_EQ(rc, 0) << src << " at " << b << ".." << e;
    return rc == 0 ? h : nullptr;
}

// Compiles and runs a formula of up to four parameters.
double real_run(const std::string &src, int module, std::vector<double> args = {}) {
    void *h = compiled(src, module);
    args.resize(4);
    return h ? RealCal(h, args.data()) : -999;
}
int64_t int_run(const std::string &src, int module, std::vector<int64_t> args = {}) {
    void *h = compiled(src, module, 1);
    args.resize(4);
    return h ? IntCal(h, args.data()) : -999;
}
TmComplex complex_run(const std::string &src, int module) {
    void *h = compiled(src, module, 3);
    TmComplex args[4] = {};
    return h ? ComplexCal(h, args) : TmComplex{-999, 0};
}

// A formula's module and handle as GetFor(name, -type) resolves them.
void *resolved(const char16_t *name, int type, int *module = nullptr) {
    void *h = nullptr;
    return GetFor(name, -type, nullptr, module, &h, nullptr, nullptr) ? h : nullptr;
}

void *number_handle(uint64_t bits) { return reinterpret_cast<void *>(uintptr_t(bits)); }

double TM_CALL seven(int, double *, TmCallContext *) { return 7; }

class BuiltinsModules : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override { FreeTamrix(); }

    // Module m named `name` with subordinates, by a formula that stays.
    void name_module(int m, const std::string &args) {
        EXPECT_EQ(real_run("Module(" + args + ")", m), 0) << args;
    }
};

// --- Module --------------------------------------------------------------------

TEST_F(BuiltinsModules, ModuleNamesTheCallersModuleOnce) {
    EXPECT_EQ(real_run("Module(\"A\", \"B\", \"C\")", 1), 0);
    const tmx::ModuleName *a = tmx::find_module_name(u"A", 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->module, 1);
    ASSERT_EQ(a->count, 2);
    EXPECT_EQ(std::u16string(a->subs[1].text, a->subs[1].len), u"C");
    EXPECT_EQ(tmx::find_module(1)->name, a);

    EXPECT_EQ(real_run("Module(\"Other\")", -1), 2);   // a second name, same module
    EXPECT_EQ(int_run("Module(\"A\")", 2), 5);         // taken by module 1
    EXPECT_EQ(real_run("Module()", 3), 1);
    EXPECT_EQ(real_run("Module(\"\")", 3), 6);
    EXPECT_EQ(real_run("Module(123456)", 3), 3);
    EXPECT_EQ(real_run("Module(\"X\", -1)", 3), 3);    // a bad subordinate name
    EXPECT_EQ(real_run("f(x)=Module(x)", 3, {0.0 / 0.0}), 3);
    EXPECT_EQ(real_run("g(x)=Module(x)", 3, {1e300}), 3);
    EXPECT_EQ(tmx::find_module_name(u"X", 1), nullptr); // nothing filed on failure
    TmComplex z = complex_run("Module(\"Z3\")", 3);
    EXPECT_EQ(z.re, 0);
    EXPECT_EQ(z.im, 0);
    EXPECT_EQ(complex_run("Module(\"Z3\")", 4).re, 5);
}

TEST_F(BuiltinsModules, ModuleNameGoesWithTheModulesLastFormula) {
    void *namer = compiled("Module(\"M\")", 4);
    void *other = compiled("o()=1", -4);
    ASSERT_EQ(RealCal(namer, nullptr), 0);
    DeleteFor(2, namer);
    EXPECT_NE(tmx::find_module_name(u"M", 1), nullptr);
    DeleteFor(2, other);
    EXPECT_EQ(tmx::find_module_name(u"M", 1), nullptr);
    EXPECT_EQ(real_run("Module(\"M\")", 5), 0);
}

TEST_F(BuiltinsModules, RefusesCallersWithoutAModule) {
    int64_t arg = 1;
    TmCallContext none = {1, nullptr}, bad_type = {7, nullptr};
    EXPECT_EQ(tmx::builtin_module_int(0, &arg, nullptr), -1);
    EXPECT_EQ(tmx::builtin_using_int(0, &arg, &none), -1);
    EXPECT_EQ(tmx::builtin_out_fun_int(0, &arg, &bad_type), -2);
    TmCallContext forged = {1, &arg};
    EXPECT_EQ(tmx::builtin_hfor_int(0, &arg, &forged), 0);
    EXPECT_EQ(tmx::builtin_module_int(0, &arg, &forged), -1);

    // A caller whose module record is gone.
    void *h = compiled("k()=1", 9, 1);
    tmx::remove_module(9);
    TmCallContext orphan = {1, h};
    EXPECT_EQ(tmx::builtin_module_int(0, &arg, &orphan), -2);
    EXPECT_EQ(tmx::builtin_out_fun_int(0, &arg, &orphan), -2);
    EXPECT_EQ(tmx::builtin_using_int(0, &arg, &orphan), -2);
}

// --- OutFun --------------------------------------------------------------------

TEST_F(BuiltinsModules, OutFunMarksUntilTheFirstBadArgument) {
    void *f = compiled("f(x)=x+1", 1);
    void *g = compiled("g(x)=x*2", -1);
    void *n = compiled("n(x)=x", 1, 1);
    compiled("elsewhere(x)=x", 2);
    auto exported = [](void *h) { return (static_cast<FormulaRecord *>(h)->code[1] & 0x40) != 0; };

    EXPECT_EQ(real_run("OutFun(\"f\", \"elsewhere\", \"g\")", 1), 2);
    EXPECT_TRUE(exported(f));
    EXPECT_FALSE(exported(g));
    EXPECT_EQ(real_run("OutFun(\"g\", 987654)", 1), 2);
    EXPECT_TRUE(exported(g));
    EXPECT_EQ(int_run("OutFun(\"n\", \"absent\")", -1), 2);
    EXPECT_TRUE(exported(n)); // any type of the caller's module
    EXPECT_EQ(real_run("OutFun()", 1), 0);
    EXPECT_EQ(real_run("OutFun(\"\")", 1), 1);
    EXPECT_EQ(complex_run("OutFun(\"f\", \"g\")", 1).re, 0);
}

// --- using ---------------------------------------------------------------------

TEST_F(BuiltinsModules, UsingListsModulesForConstantsAndCalls) {
    double k = 2.5, l = 4;
    ASSERT_EQ(SetConst(8, u"K::c", &k), 0);
    ASSERT_EQ(SetConst(8, u"L::c", &l), 0);
    ASSERT_EQ(SetConst(8, u"L::d", &l), 0);
    ASSERT_EQ(SetFunction(5, u"K::ext", reinterpret_cast<void *>(&seven), 0), 0);
    EXPECT_EQ(compile_status("c*2", 1), 24);
    EXPECT_EQ(compile_status("ext(1)", 1), 25);

    EXPECT_EQ(real_run("using(\"K\", \"L\")", 1), 0);
    EXPECT_EQ(real_run("c*2", 1), 5);  // the first listed module wins
    EXPECT_EQ(real_run("d", -1), 4);
    EXPECT_EQ(real_run("ext(1)", 1), 7);
    EXPECT_EQ(compile_status("c", 2), 24); // other modules are not affected

    EXPECT_EQ(real_run("using(\"L\", 55555)", 1), 1); // refused: list unchanged
    EXPECT_EQ(real_run("c", 1), 2.5);
    EXPECT_EQ(int_run("using(\"L\")", 1), 0);
    EXPECT_EQ(real_run("c", 1), 4);
    EXPECT_EQ(complex_run("using()", 1).re, 0);
    EXPECT_EQ(compile_status("c", 1), 24);
    EXPECT_EQ(tmx::used_modules(1), nullptr);
}

// --- qualified names -------------------------------------------------------------

// A names B and D; B names C.  Depth 0: A, depth 1: B and D, depth 2: C.
class Qualified : public BuiltinsModules {
protected:
    void SetUp() override {
        BuiltinsModules::SetUp();
        name_module(1, "\"A\", \"B\", \"D\"");
        name_module(2, "\"B\", \"C\"");
        name_module(3, "\"C\"");
        name_module(-4, "\"D\"");
        compiled("fa(x)=x+1", -1);
        compiled("fb(x)=x+2", -2);
        compiled("fc(x)=x+3", -3);
        compiled("ic(x)=x+3", -3, 1);
        compiled("cc(x)=x+3", -3, 3);
        compiled("both(x)=30", -3);
        compiled("both(x)=40", -4);
        compiled("hidden(x)=x", -2);
        EXPECT_EQ(real_run("OutFun(\"fa\")", 1), 0);
        EXPECT_EQ(real_run("OutFun(\"fb\")", 2), 0);
        EXPECT_EQ(real_run("OutFun(\"fc\", \"ic\", \"cc\", \"both\")", 3), 0);
        EXPECT_EQ(real_run("OutFun(\"both\")", 4), 0);
    }
};

TEST_F(Qualified, ReachesExportedFormulasAtEveryDepth) {
    EXPECT_EQ(real_run("A::fa(1)", 7), 2);
    EXPECT_EQ(real_run("A::fb(1)", 7), 3);
    EXPECT_EQ(real_run("A::B::fb(1)", 7), 3);
    EXPECT_EQ(real_run("A::B::C::fc(1)", 7), 4);
    EXPECT_EQ(int_run("A::ic(1)", 7), 4);
    EXPECT_EQ(complex_run("B::C::cc(2)", 7).re, 5);
    // D at depth 1 is found before C at depth 2, though C comes first
    // depth-first (A lists B before D).
    EXPECT_EQ(real_run("A::both(0)", 7), 40);
    EXPECT_EQ(real_run("B::both(0)", 7), 30);
}

TEST_F(Qualified, RefusesWhatTheNamesDoNotReach) {
    EXPECT_EQ(compile_status("A::hidden(1)", 7), 25); // not exported
    EXPECT_EQ(compile_status("A::C::fc(1)", 7), 25);  // C is not A's subordinate
    EXPECT_EQ(compile_status("B::fa(1)", 7), 25);     // upwards is not reachable
    EXPECT_EQ(compile_status("Z::fa(1)", 7), 25);
    for (const char16_t *name : {u"::fa", u"A::", u"A::::fa", u"A::B", u"A:::fa", u"A", u"::"})
        EXPECT_EQ(resolved(name, 2), nullptr) << std::u16string(name).size();
    EXPECT_EQ(real_run("OutFun(\"hidden\")", 2), 0);
    EXPECT_EQ(real_run("A::hidden(5)", 7), 5);
}

TEST_F(Qualified, GetForAndNamedFormulasResolveQualifiedNames) {
    int module = 0;
    EXPECT_NE(resolved(u"A::B::fb", 2, &module), nullptr);
    EXPECT_EQ(module, -2);
    EXPECT_EQ(resolved(u"A::ic", 2), nullptr); // an integer formula
    EXPECT_NE(resolved(u"A::ic", 1), nullptr);
    // A built-in naming a formula of a given type takes the shallowest one of
    // that type.
    void *caller = compiled("x()=1", 7);
    TmCallContext ctx = {2, caller};
    FormulaRecord *r = tmx::named_formula(u"A::both", 7, 2, &ctx);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->header[tmx::kModuleNo], -4);
    EXPECT_EQ(tmx::named_formula(u"A::ic", 5, 3, &ctx), nullptr);
    EXPECT_EQ(tmx::named_formula(u"A::ic", 5, 1, &ctx), resolved(u"A::ic", 1));
}

TEST_F(Qualified, CyclesTerminateAndMarksAreCleared) {
    name_module(5, "\"P\", \"Q\", \"P\"");
    name_module(6, "\"Q\", \"P\", \"A\"");
    compiled("q(x)=x*10", -6);
    EXPECT_EQ(real_run("OutFun(\"q\")", 6), 0);
    EXPECT_EQ(real_run("P::q(2)", 7), 20);
    EXPECT_EQ(real_run("P::fc(2)", 7), 5); // through Q, A, B, C; P is met twice
    EXPECT_EQ(compile_status("P::nothing(1)", 7), 25);
    EXPECT_EQ(real_run("P::Q::P::Q::q(1)", 7), 10);
    for (const char16_t *n : {u"A", u"B", u"C", u"D", u"P", u"Q"})
        EXPECT_FALSE(tmx::find_module_name(n, 1)->visited);
}

TEST_F(Qualified, UsedModulesPrefixQualifiedNames) {
    int64_t n = 6;
    ASSERT_EQ(SetConst(7, u"A::n", &n), 0);
    EXPECT_EQ(real_run("using(\"Nope\", \"A\")", 8), 0);
    EXPECT_EQ(real_run("fa(1)", 8), 2);     // A::fa
    EXPECT_EQ(real_run("B::fb(1)", 8), 3);  // A::B::fb
    EXPECT_EQ(real_run("both(0)", 8), 40);  // A::both, the shallowest
    EXPECT_EQ(int_run("n*2", -8), 12);      // A::n as an integer constant
    EXPECT_EQ(compile_status("hidden(1)", 8), 25);
}

TEST_F(Qualified, LiteralExternalNamesWithScopeStillWork) {
    ASSERT_EQ(SetFunction(5, u"sys::call", reinterpret_cast<void *>(&seven), 0), 0);
    EXPECT_EQ(real_run("sys::call(1)", 7), 7);
    // A formula reached through a module name comes before an external
    // function of the same literal name.
    ASSERT_EQ(SetFunction(5, u"A::fa", reinterpret_cast<void *>(&seven), 0), 0);
    EXPECT_EQ(real_run("A::fa(1)", 7), 2);
}

// --- HFor ----------------------------------------------------------------------

uint32_t low_bits(double d) { return uint32_t(std::bit_cast<uint64_t>(d)); }

TEST_F(BuiltinsModules, HForRoundTripsInEveryType) {
    void *sq = compiled("sq(x)=x=x*x", 3);
    compiled("isq(x)=x*x", 3, 1);

    double out[4] = {7, 7, 7, 7};
    double hr = RealCal(compiled("h(p,m,d)=HFor(\"sq\", 2, &p, &m, &d)", 3), out);
    uint64_t bits = std::bit_cast<uint64_t>(hr);
    ASSERT_NE(bits, 0u);
    EXPECT_EQ(bits >> 32, 0u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2], -128);

    void *h = nullptr;
    double *data = nullptr;
    int module = 0, params = -5;
    ASSERT_TRUE(GetFor(nullptr, 2, number_handle(bits), &module, &h,
                       reinterpret_cast<void **>(&data), &params));
    EXPECT_EQ(h, sq);
    double arg = 5;
    EXPECT_EQ(RealCal(h, &arg), 25);
    EXPECT_TRUE(IsFor(nullptr, 2, 3, number_handle(bits), data, 0));

    int64_t iout[4] = {7, 7, 7, 7};
    int64_t hi = IntCal(compiled("ih(p,m,d)=HFor(\"isq\", 1, &p, &m, &d)", -3, 1), iout);
    EXPECT_GT(hi, 0);
    EXPECT_EQ(iout[0], 0);
    EXPECT_EQ(iout[1], 3);
    EXPECT_EQ(iout[2], 0);
    EXPECT_EQ(int_run("HFor(\"isq\")", 3), hi); // the caller's type by default
    EXPECT_TRUE(GetFor(nullptr, 1, number_handle(uint64_t(hi)), nullptr, &h, nullptr, nullptr));

    TmComplex cout[2] = {{7, 7}, {7, 7}};
    TmComplex hc = ComplexCal(compiled("ch(p)=HFor(\"sq\", 2, &p)", 3, 3), cout);
    EXPECT_EQ(std::bit_cast<uint64_t>(hc.re), bits);
    EXPECT_EQ(hc.im, 0);
    EXPECT_EQ(cout[0].re, 0);
    EXPECT_EQ(cout[0].im, 0);
}

TEST_F(BuiltinsModules, HForMissesLeaveOutputsUntouched) {
    compiled("sq(x)=x*x", 3);
    void *probe = compiled("probe(n, t, p)=HFor(n, t, &p)", 3);
    void *named = compiled("named(t, p)=HFor(\"sq\", t, &p)", 3);
    for (double t : {0.0, 4.0, -1.0, 1.0, 3.0, 0.0 / 0.0}) {
        double args[2] = {t, 7};
        EXPECT_EQ(RealCal(named, args), 0) << t;
        EXPECT_EQ(args[1], 7);
    }
    double bad_string[3] = {99999, 2, 7};
    EXPECT_EQ(RealCal(probe, bad_string), 0);
    EXPECT_EQ(bad_string[2], 7);
    EXPECT_EQ(real_run("HFor(\"absent\", 2)", 3), 0);
    EXPECT_EQ(real_run("HFor(\"sq\", 2)", 4), real_run("HFor(\"sq\")", -3)); // public
    EXPECT_EQ(real_run("HFor()", 3), 0);
}

TEST_F(BuiltinsModules, StaleAndForgedHandlesAreRefused) {
    void *sq = compiled("sq(x)=x*x", 3);
    compiled("name()=\"text\"", 3);
    uint32_t h = low_bits(real_run("HFor(\"sq\")", 3));
    uint32_t texts = low_bits(real_run("HFor(\"name\")", 3));
    ASSERT_NE(h, 0u);

    char16_t *str = reinterpret_cast<char16_t *>(number_handle(texts));
    int first = -1, last = 2;
    GetForStr(nullptr, &str, &first, &last);
    ASSERT_NE(str, nullptr);
    EXPECT_EQ(std::u16string(str + first), u"text");

    void *out = nullptr;
    for (uint64_t forged : {uint64_t(0), uint64_t(1), uint64_t(0xFFFFFFFF), uint64_t(h) + 1000}) {
        EXPECT_FALSE(GetFor(nullptr, 2, number_handle(forged), nullptr, &out, nullptr, nullptr));
        EXPECT_FALSE(IsFor(nullptr, 2, 3, number_handle(forged), nullptr, 0));
    }
    EXPECT_FALSE(GetFor(nullptr, 1, number_handle(h), nullptr, &out, nullptr, nullptr));
    EXPECT_FALSE(GetFor(nullptr, 3, number_handle(h), nullptr, &out, nullptr, nullptr));

    DeleteFor(2, sq);
    EXPECT_FALSE(GetFor(nullptr, 2, number_handle(h), nullptr, &out, nullptr, nullptr));
    EXPECT_FALSE(IsFor(nullptr, 2, 3, number_handle(h), nullptr, 0));
    str = reinterpret_cast<char16_t *>(number_handle(h));
    last = 2;
    GetForStr(nullptr, &str, &first, &last);
    EXPECT_EQ(str, nullptr);
}

TEST_F(Qualified, HForReachesQualifiedNames) {
    uint32_t h = low_bits(real_run("HFor(\"A::B::fb\")", 7));
    void *found = nullptr;
    ASSERT_TRUE(GetFor(nullptr, 2, number_handle(h), nullptr, &found, nullptr, nullptr));
    EXPECT_EQ(found, resolved(u"A::fb", 2));
    EXPECT_EQ(real_run("HFor(\"A::hidden\")", 7), 0);
}

}  // namespace
