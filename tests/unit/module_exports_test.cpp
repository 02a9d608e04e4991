// LockModule and ExMsgWithTamrix, end to end through the compile front end:
// module reservations, the lock check of a compile, record removal with the
// module's variables, and every message with good and bogus arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/record.h"
#include "kernel/registry/modules.h"
#include "kernel/registry/name_tree.h"
#include "kernel/registry/registry.h"
#include "formula_support.h"
#include "kernel/run_error.h"
#include "tamrix/tamrix.h"

namespace {

int g_lock_calls = 0;
void TM_CALL lock_f() { ++g_lock_calls; }
void TM_CALL lock_g() { ++g_lock_calls; }

using tmx::test::Compiled;

Compiled compile(const std::u16string &src, int module, TmLockFunction lock = nullptr) {
    return tmx::test::compile(2, src, module, reinterpret_cast<void *>(lock));
}

void *compiled(const std::u16string &src, int module) {
    Compiled c = compile(src, module);
    EXPECT_EQ(c.status, 0) << "at " << c.err_begin << ".." << c.err_end;
    return c.status == 0 ? c.handle : nullptr;
}

intptr_t formula_count(int module) {
    return ExMsgWithTamrix(10, reinterpret_cast<void *>(intptr_t(module)), nullptr, nullptr);
}

class ModuleExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InitTamrix());
        g_lock_calls = 0;
    }
    void TearDown() override { FreeTamrix(); }
};

// --- LockModule -------------------------------------------------------------------

TEST_F(ModuleExports, LockingFollowsTheRecordState) {
    EXPECT_FALSE(LockModule(7, nullptr, true));
    EXPECT_FALSE(LockModule(7, nullptr, false));
    EXPECT_EQ(tmx::find_module(7), nullptr);

    EXPECT_TRUE(LockModule(7, lock_f, true));
    EXPECT_EQ(g_lock_calls, 1);
    ASSERT_NE(tmx::find_module(7), nullptr);
    EXPECT_EQ(tmx::find_module(7)->lock, lock_f);
    EXPECT_EQ(formula_count(7), 0);
    EXPECT_FALSE(LockModule(7, lock_g, true));
    EXPECT_TRUE(LockModule(7, lock_f, true));
    // The sign does not matter: -7 is the same module.
    EXPECT_FALSE(LockModule(-7, lock_g, true));
    EXPECT_TRUE(LockModule(-7, lock_f, true));
    EXPECT_EQ(g_lock_calls, 5);

    EXPECT_TRUE(LockModule(7, lock_f, false));
    EXPECT_EQ(tmx::find_module(7), nullptr);
    EXPECT_TRUE(LockModule(7, lock_g, false));
    EXPECT_TRUE(LockModule(7, lock_g, true));
}

TEST_F(ModuleExports, ALockedModuleTakesFormulasOnlyWithItsLockFunction) {
    ASSERT_TRUE(LockModule(7, lock_f, true));
    g_lock_calls = 0;
    Compiled refused = compile(u"f(x)=x+1", 7, lock_g);
    EXPECT_EQ(refused.status, TM_MODULE_LOCKED);
    EXPECT_EQ(refused.err_begin, 0);
    EXPECT_EQ(refused.err_end, 0);
    EXPECT_EQ(g_lock_calls, 1);
    EXPECT_EQ(formula_count(7), 0);
    EXPECT_EQ(compile(u"f(x)=x+1", -7, lock_g).status, TM_MODULE_LOCKED);

    Compiled by_owner = compile(u"f(x)=x+1", 7, lock_f);
    ASSERT_EQ(by_owner.status, 0);
    double x = 2;
    EXPECT_EQ(RealCal(by_owner.handle, &x), 3);
    // A compile without lock function goes anywhere.
    EXPECT_EQ(compile(u"g(x)=x", -7).status, 0);
    EXPECT_EQ(formula_count(7), 2);
    EXPECT_EQ(tmx::find_module(7)->lock, lock_f);
}

TEST_F(ModuleExports, UnlockingWaitsForTheLastFormula) {
    ASSERT_TRUE(LockModule(7, lock_f, true));
    void *a = compile(u"a(x)=x", 7, lock_f).handle;
    void *b = compile(u"b(x)=x", -7, lock_f).handle;
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(LockModule(7, lock_f, false));
    EXPECT_EQ(compile(u"c(x)=x", 7, lock_g).status, TM_MODULE_LOCKED);

    DeleteFor(2, a);
    EXPECT_EQ(formula_count(7), 1);
    EXPECT_EQ(compile(u"c(x)=x", 7, lock_g).status, TM_MODULE_LOCKED);
    DeleteFor(2, b);
    // The record went with the last formula, and the lock with it.
    EXPECT_EQ(tmx::find_module(7), nullptr);
    EXPECT_EQ(compile(u"c(x)=x", 7, lock_g).status, 0);
    EXPECT_TRUE(LockModule(8, lock_g, true));
    EXPECT_TRUE(LockModule(8, lock_g, false));
}

TEST_F(ModuleExports, AModuleWithFormulasButNoLockCannotBeLocked) {
    ASSERT_NE(compiled(u"f(x)=x", 9), nullptr);
    EXPECT_FALSE(LockModule(9, lock_f, true));
    EXPECT_FALSE(LockModule(-9, lock_f, false));
    EXPECT_EQ(tmx::find_module(9)->lock, nullptr);
    // The module library moves on to the next number.
    EXPECT_TRUE(LockModule(10, lock_f, true));
}

TEST_F(ModuleExports, TheLastFormulaTakesTheModuleVariablesOfAllThreeTypes) {
    // The real cell comes from a compiled formula; integer and complex cells
    // are filed the way their compilers file them.
    void *f = compiled(u"f(x::v)=v=x", 12);
    ASSERT_NE(f, nullptr);
    ASSERT_NE(tmx::shared_cell(10, 12, u"v", 1, false), 0u);
    ASSERT_NE(tmx::shared_cell(12, -12, u"w", 1, false), 0u);
    ASSERT_NE(tmx::shared_cell(11, 1, u"v", 1, false), 0u);  // module 1: a prefix of 12
    ASSERT_NE(tmx::shared_cell(11, 12, u"v", 1, true), 0u);  // common "v"
    auto cell = [](int type, const std::u16string &key) {
        return tmx::name_tree().find(tmx::wide_key(key.data(), key.size()), type) != nullptr;
    };
    EXPECT_TRUE(cell(11, u"12v"));
    EXPECT_TRUE(cell(10, u"12v"));
    EXPECT_TRUE(cell(12, u"12w"));

    DeleteFor(2, f);
    EXPECT_FALSE(cell(10, u"12v"));
    EXPECT_FALSE(cell(11, u"12v"));
    EXPECT_FALSE(cell(12, u"12w"));
    EXPECT_TRUE(cell(11, u"1v"));
    EXPECT_TRUE(cell(11, u"v"));
    EXPECT_EQ(formula_count(12), 0);
}

TEST_F(ModuleExports, UnlockingAnEmptyReservationDropsItsVariables) {
    ASSERT_TRUE(LockModule(13, lock_f, true));
    ASSERT_NE(tmx::shared_cell(10, 13, u"n", 1, false), 0u);
    EXPECT_TRUE(LockModule(13, lock_f, false));
    EXPECT_EQ(tmx::name_tree().find(tmx::wide_key(u"13n", 3), 10), nullptr);
}

// --- ExMsgWithTamrix: formulas ----------------------------------------------------

TEST_F(ModuleExports, NameAndModuleOfAHandle) {
    void *f = compiled(u"fname(x)=x", -7);
    void *anon = compiled(u"1+1", 3);
    ASSERT_NE(f, nullptr);
    int type = 2;
    auto *name = reinterpret_cast<const char16_t *>(ExMsgWithTamrix(2, f, &type, nullptr));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::u16string(name), u"fname");
    EXPECT_EQ(ExMsgWithTamrix(4, f, &type, nullptr), -7);
    name = reinterpret_cast<const char16_t *>(ExMsgWithTamrix(2, anon, &type, nullptr));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(ExMsgWithTamrix(4, anon, &type, nullptr), 3);

    // Another type than the formula's, or none: 0.
    for (int wrong : {0, 1, 3, 4, -2}) {
        EXPECT_EQ(ExMsgWithTamrix(2, f, &wrong, nullptr), 0);
        EXPECT_EQ(ExMsgWithTamrix(4, f, &wrong, nullptr), 0);
    }
    EXPECT_EQ(ExMsgWithTamrix(2, f, nullptr, nullptr), 0);
    EXPECT_EQ(ExMsgWithTamrix(4, f, nullptr, nullptr), 0);
}

TEST_F(ModuleExports, BogusHandlesGiveZero) {
    void *f = compiled(u"gone(x)=x", 5);
    ASSERT_NE(f, nullptr);
    DeleteFor(2, f);
    double local = 0;
    int type = 2;
    std::vector<void *> bogus = {nullptr, f, &local, reinterpret_cast<void *>(uintptr_t(0x1234)),
                                 reinterpret_cast<void *>(~uintptr_t(0))};
    for (void *h : bogus) {
        EXPECT_EQ(ExMsgWithTamrix(2, h, &type, nullptr), 0);
        EXPECT_EQ(ExMsgWithTamrix(4, h, &type, nullptr), 0);
        // The same handle inside a call context: reported back, never read.
        TmCallContext ctx{2, h};
        int seen_type = -1;
        void *seen = &local;
        EXPECT_EQ(ExMsgWithTamrix(1, &ctx, &seen_type, &seen), 0);
        EXPECT_EQ(seen_type, 2);
        EXPECT_EQ(seen, h);
        EXPECT_EQ(ExMsgWithTamrix(3, &ctx, nullptr, nullptr), 0);
    }
}

TEST_F(ModuleExports, CallContextMessages) {
    void *f = compiled(u"ctxf(x)=x", 4);
    ASSERT_NE(f, nullptr);
    TmCallContext ctx{2, f};
    int type = -1;
    void *handle = nullptr;
    auto *name = reinterpret_cast<const char16_t *>(ExMsgWithTamrix(1, &ctx, &type, &handle));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::u16string(name), u"ctxf");
    EXPECT_EQ(type, 2);
    EXPECT_EQ(handle, f);
    type = -1;
    handle = nullptr;
    EXPECT_EQ(ExMsgWithTamrix(3, &ctx, &type, &handle), 4);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(handle, f);
    // Null out pointers are skipped; a null context answers 0 and writes nothing.
    EXPECT_NE(ExMsgWithTamrix(1, &ctx, nullptr, nullptr), 0);
    EXPECT_EQ(ExMsgWithTamrix(3, &ctx, nullptr, nullptr), 4);
    type = -1;
    EXPECT_EQ(ExMsgWithTamrix(1, nullptr, &type, &handle), 0);
    EXPECT_EQ(type, -1);
    // A context whose type disagrees with its formula names nothing.
    TmCallContext wrong{1, f};
    EXPECT_EQ(ExMsgWithTamrix(3, &wrong, nullptr, nullptr), 0);
}

// An external function asks who called it, as libraries do.
std::u16string g_caller_name;
intptr_t g_caller_module = 0;

double TM_CALL who_calls(int, double *args, TmCallContext *ctx) {
    int type = 0;
    void *handle = nullptr;
    auto *name = reinterpret_cast<const char16_t *>(ExMsgWithTamrix(1, ctx, &type, &handle));
    g_caller_name = name ? name : u"<none>";
    g_caller_module = ExMsgWithTamrix(4, handle, &type, nullptr);
    return args[0];
}

TEST_F(ModuleExports, AnExternalFunctionLearnsItsCaller) {
    ASSERT_EQ(SetFunction(5, u"whoCalls", reinterpret_cast<void *>(&who_calls), 0), 0);
    Compiled c = compile(u"caller(x)=whoCalls(x)", -6);
    ASSERT_EQ(c.status, 0);
    double x = 5;
    EXPECT_EQ(RealCal(c.handle, &x), 5);
    EXPECT_EQ(g_caller_name, u"caller");
    EXPECT_EQ(g_caller_module, -6);
}

// --- ExMsgWithTamrix: the rest ---------------------------------------------------

TEST_F(ModuleExports, ConstantsByTypeAndName) {
    int64_t i = 42;
    double r = 2.5;
    TmComplex z{1.5, -3};
    ASSERT_EQ(SetConst(7, u"kInt", &i), 0);
    ASSERT_EQ(SetConst(8, u"kReal", &r), 0);
    ASSERT_EQ(SetConst(9, u"kCplx", &z), 0);
    auto msg = [](int m, const char16_t *name) {
        return ExMsgWithTamrix(m, const_cast<char16_t *>(name), nullptr, nullptr);
    };
    ASSERT_NE(msg(7, u"kInt"), 0);
    EXPECT_EQ(*reinterpret_cast<const int64_t *>(msg(7, u"kInt")), 42);
    ASSERT_NE(msg(8, u"kReal"), 0);
    EXPECT_EQ(*reinterpret_cast<const double *>(msg(8, u"kReal")), 2.5);
    ASSERT_NE(msg(9, u"kCplx"), 0);
    const auto *value = reinterpret_cast<const TmComplex *>(msg(9, u"kCplx"));
    EXPECT_EQ(value->re, 1.5);
    EXPECT_EQ(value->im, -3);
    // Only the asked type counts.
    EXPECT_EQ(msg(8, u"kInt"), 0);
    EXPECT_EQ(msg(7, u"kReal"), 0);
    EXPECT_EQ(msg(7, u"kIn"), 0);
    EXPECT_EQ(msg(7, u""), 0);
    EXPECT_EQ(msg(7, nullptr), 0);
}

// Libraries keep the address of a constant for as long as they run, while
// scripts and the host delete and remake constants: the address must stay
// readable (the sanitizer build checks every read) and follow the name.
TEST_F(ModuleExports, ConstantAddressOutlivesItsConstant) {
    auto address = [](int m, const char16_t *name) {
        return reinterpret_cast<const double *>(
            ExMsgWithTamrix(m, const_cast<char16_t *>(name), nullptr, nullptr));
    };
    auto run = [](const std::u16string &src) {
        Compiled c = compile(src, 1);
        EXPECT_EQ(c.status, 0) << "at " << c.err_begin << ".." << c.err_end;
        return c.status == 0 ? RealCal(c.handle, c.reals()) : -1.0;
    };

    // A script's deletable constant.
    ASSERT_EQ(run(u"const(\"k\", 5, 1)"), 0);
    const double *k = address(8, u"k");
    ASSERT_NE(k, nullptr);
    ASSERT_EQ(run(u"const(\"k\", 0, 0)"), 0);
    EXPECT_EQ(address(8, u"k"), nullptr);
    EXPECT_EQ(*k, 5);  // the last value, still readable
    ASSERT_EQ(run(u"const(\"k\", 7, 1)"), 0);
    EXPECT_EQ(address(8, u"k"), k);
    EXPECT_EQ(*k, 7);
    // Refused remakes leave the value alone.
    EXPECT_EQ(run(u"const(\"k\", 9, 1)"), 1);
    EXPECT_EQ(*k, 7);

    // The host's constants of each type, deleted by DeleteConstOrFunction.
    struct Case {
        int type;
        TmComplex first, second;
    };
    for (const Case &c : {Case{7, {3, 0}, {4, 0}}, Case{8, {2.5, 0}, {-1, 0}},
                          Case{9, {1, 2}, {-3, 4}}}) {
        SCOPED_TRACE(c.type);
        const int64_t ints[2] = {int64_t(c.first.re), int64_t(c.second.re)};
        const void *first = c.type == 7 ? static_cast<const void *>(&ints[0]) : &c.first;
        const void *second = c.type == 7 ? static_cast<const void *>(&ints[1]) : &c.second;
        ASSERT_EQ(SetConst(c.type, u"h", first), 0);
        const void *h = address(c.type, u"h");
        ASSERT_NE(h, nullptr);
        DeleteConstOrFunction(c.type, u"h");
        EXPECT_EQ(address(c.type, u"h"), nullptr);
        EXPECT_EQ(std::memcmp(h, first, c.type == 9 ? 16 : 8), 0);
        ASSERT_EQ(SetConst(c.type, u"h", second), 0);
        EXPECT_EQ(address(c.type, u"h"), h);
        EXPECT_EQ(std::memcmp(h, second, c.type == 9 ? 16 : 8), 0);
    }
    // Each type keeps its own value under one name.
    EXPECT_NE(address(7, u"h"), address(8, u"h"));
}

TEST_F(ModuleExports, FormulaCountOfAModule) {
    EXPECT_EQ(formula_count(7), 0);
    ASSERT_NE(compiled(u"p(x)=x", 7), nullptr);
    ASSERT_NE(compiled(u"q(x)=x", -7), nullptr);
    ASSERT_NE(compiled(u"2", 7), nullptr);
    ASSERT_NE(compiled(u"r(x)=x", 70), nullptr);
    EXPECT_EQ(formula_count(7), 3);
    EXPECT_EQ(formula_count(-7), 3);
    EXPECT_EQ(formula_count(70), 1);
    EXPECT_EQ(formula_count(0), 0);
}

TEST_F(ModuleExports, RunErrorRecordAddress) {
    auto *record = reinterpret_cast<tmx::RunErrorRecord *>(
        ExMsgWithTamrix(11, nullptr, nullptr, nullptr));
    ASSERT_EQ(record, &tmx::g_run_error);
    // Field order is part of the interface: type first, then name, code,
    // formula type and handle.
    int marker = 0;
    SetRunErr(3, u"name", 17, 2, &marker);
    EXPECT_EQ(*reinterpret_cast<int *>(record), 3);
    EXPECT_EQ(std::u16string(record->name), u"name");
    EXPECT_EQ(record->code, 17);
    EXPECT_EQ(record->formula_type, 2);
    EXPECT_EQ(record->formula, &marker);
    GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(record->type, 0);
}

TEST_F(ModuleExports, UnknownMessagesGiveZero) {
    int type = 2;
    void *out = nullptr;
    for (int m : {0, 12, 100, -1, INT32_MIN})
        EXPECT_EQ(ExMsgWithTamrix(m, &type, &type, &out), 0);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(out, nullptr);
}

// --- the static-release hook -----------------------------------------------------

struct HookCall {
    void *statics;
    int type;
    void *again;
    int count;
};
std::vector<HookCall> g_hook_calls;

void TM_CALL record_hook(void *statics, int type, void *again, int count) {
    g_hook_calls.push_back({statics, type, again, count});
}

TEST_F(ModuleExports, HookReceivesTheStaticsOfAnInvalidatedFormula) {
    g_hook_calls.clear();
    EXPECT_EQ(ExMsgWithTamrix(5, reinterpret_cast<void *>(&record_hook), nullptr, nullptr), 0);
    EXPECT_EQ(reinterpret_cast<void *>(tmx::g_static_release_hook),
              reinterpret_cast<void *>(&record_hook));

    void *callee = compiled(u"inner(x)=x", 1);
    Compiled c = compile(u"outer(x : static, s, t, free) = inner(x)", 1);
    ASSERT_EQ(c.status, 0);
    DeleteFor(2, callee); // invalidates outer: it may not run its release pass
    DeleteFor(2, c.handle);
    ASSERT_EQ(g_hook_calls.size(), 1u);
    // x is 0, static 1, s 2, t 3, free 4: the statics s and t.
    EXPECT_EQ(g_hook_calls[0].statics, c.reals() + 2);
    EXPECT_EQ(g_hook_calls[0].again, c.reals() + 2);
    EXPECT_EQ(g_hook_calls[0].type, 2);
    EXPECT_EQ(g_hook_calls[0].count, 2);

    // Cleared: the next invalidated formula calls nothing.
    EXPECT_EQ(ExMsgWithTamrix(6, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(tmx::g_static_release_hook, nullptr);
    callee = compiled(u"inner(x)=x", 1);
    c = compile(u"outer(x : static, s, free) = inner(x)", 1);
    ASSERT_EQ(c.status, 0);
    DeleteFor(2, callee);
    DeleteFor(2, c.handle);
    EXPECT_EQ(g_hook_calls.size(), 1u);
}

}  // namespace
