// Registered types: external objects made, copied and destroyed by the
// registering library's functions, aliases, and unregistering.
#include "data_host.h"
#include "platform/text.h"

namespace datatest {
namespace {

// An external object and the registering library's bookkeeping.
struct Thing {
    int value = 0;
};
int g_created = 0, g_destroyed = 0, g_copied = 0;
int g_copy_result = 1;

void *TM_CALL make_thing() {
    ++g_created;
    return new Thing;
}
void TM_CALL drop_thing(void *p) {
    ++g_destroyed;
    delete static_cast<Thing *>(p);
}
void TM_CALL drop_other(void *p) { delete static_cast<Thing *>(p); }
int TM_CALL copy_thing(int, void **destination, void **source) {
    ++g_copied;
    if (g_copy_result) static_cast<Thing *>(*destination)->value = static_cast<Thing *>(*source)->value;
    return g_copy_result;
}

void *fn(auto f) { return reinterpret_cast<void *>(f); }

class Types : public DataHost {
protected:
    void SetUp() override {
        g_created = g_destroyed = g_copied = 0;
        g_copy_result = 1;
        DataHost::SetUp();
    }
    int register_thing(bool withCopy = true) {
        return ds.reg(1, fn(make_thing), fn(drop_thing), withCopy ? fn(copy_thing) : nullptr);
    }
    Thing *thing(int64_t h) { return static_cast<Thing *>(ds.payload(h)); }
};

TEST_F(Types, IdentifiersCountDownFromMinus256) {
    EXPECT_EQ(register_thing(), -256);
    EXPECT_EQ(register_thing(false), -257);
    int int32 = TMD_INT32;
    EXPECT_EQ(ds.reg(2, &int32, nullptr, nullptr), -258);
}

TEST_F(Types, ExternalObjectsAreMadeCopiedAndDestroyedByTheirType) {
    int id = register_thing();
    int64_t a = eval(u"new(" + text(id) + u")");
    int64_t b = eval(u"new(" + text(id) + u")");
    ASSERT_NE(thing(a), nullptr);
    EXPECT_EQ(g_created, 2);
    int kind = 0;
    EXPECT_EQ(ds.is(a, &kind), id);
    EXPECT_EQ(kind, id);
    thing(a)->value = 42;
    EXPECT_EQ(eval(u"copy(" + text(b) + u", " + text(a) + u")"), 0);
    EXPECT_EQ(g_copied, 1);
    EXPECT_EQ(thing(b)->value, 42);
    int64_t c = eval(u"newcopy(" + text(a) + u")");
    EXPECT_EQ(thing(c)->value, 42);
    EXPECT_EQ(g_created, 3);
    EXPECT_EQ(eval(u"delete(" + text(a) + u")"), 0);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(thing(a), nullptr);
}

TEST_F(Types, ExternalObjectsRefuseWhatTheirTypeCannotDo) {
    int copyable = register_thing();
    int plain = register_thing(false);
    int64_t a = eval(u"new(" + text(plain) + u")");
    int64_t b = eval(u"new(" + text(plain) + u")");
    int64_t x = eval(u"new(" + text(copyable) + u")");
    int64_t y = eval(u"new(" + text(copyable) + u")");
    struct Case {
        std::u16string program, message;
    } cases[] = {
        {u"copy(" + text(b) + u", " + text(a) + u")", u"copy：不能进行该数据类型的复制！"},
        {u"copy(" + text(x) + u", " + text(a) + u", 0)", u"copy：类型不匹配。"},
        {u"get(" + text(a) + u")", u"get：未知数据类型或不能得到该数据类型的值。"},
        {u"set(" + text(a) + u", 1)", u"set：未知数据类型或不能设置该类型数据的值。"},
        {u"TMDLen(" + text(a) + u")", u"TMDLen：未知数据类型或不能获得该数据长度。"},
    };
    for (const Case &c : cases) {
        EXPECT_NE(report_of(u"i: " + c.program).find(c.message), std::u16string::npos)
            << platform::to_utf8(c.program);
    }
    EXPECT_EQ(eval(u"TMDLen(" + text(a) + u")"), -1);
    g_copy_result = 0;
    EXPECT_NE(report_of(u"i: copy(" + text(y) + u", " + text(x) + u")")
                  .find(u"copy：复制外部数据类型出错！"),
              std::u16string::npos);
}

TEST_F(Types, AliasesShareTheBaseKind) {
    int id = register_thing();
    int int32 = TMD_INT32;
    int alias = ds.reg(2, &int32, nullptr, nullptr);
    ASSERT_NE(alias, 0);
    int64_t h = eval(u"new(" + text(alias) + u", 5)");
    int kind = 0;
    EXPECT_EQ(ds.is(h, &kind), alias);
    EXPECT_EQ(kind, TMD_INT32);
    EXPECT_EQ(eval(u"get(" + text(h) + u")"), 5);
    // An alias of the external type makes its objects; of an alias, too.
    int thingAlias = ds.reg(2, &id, nullptr, nullptr);
    int aliasOfAlias = ds.reg(2, &thingAlias, nullptr, nullptr);
    ASSERT_NE(aliasOfAlias, 0);
    int64_t t = eval(u"new(" + text(aliasOfAlias) + u")");
    EXPECT_EQ(ds.is(t, &kind), aliasOfAlias);
    EXPECT_EQ(kind, id);
    EXPECT_EQ(g_created, 1);
    // Nothing to alias.
    int unknown = -9999, zero = 0, positive = 3;
    EXPECT_EQ(ds.reg(2, &unknown, nullptr, nullptr), 0);
    EXPECT_EQ(ds.reg(2, &zero, nullptr, nullptr), 0);
    EXPECT_EQ(ds.reg(2, &positive, nullptr, nullptr), 0);
}

TEST_F(Types, RegistrationNeedsBothFunctionsAndAKnownMode) {
    EXPECT_EQ(ds.reg(1, nullptr, fn(drop_thing), nullptr), 0);
    EXPECT_EQ(ds.reg(1, fn(make_thing), nullptr, nullptr), 0);
    int id = -256;
    EXPECT_EQ(ds.reg(3, &id, nullptr, nullptr), 0);
    EXPECT_EQ(ds.reg(-1, &id, nullptr, nullptr), 0);
    EXPECT_EQ(register_thing(), -256);
}

TEST_F(Types, UnregisteringWantsTheRegisteredDestroyFunction) {
    int id = register_thing();
    int64_t h = eval(u"new(" + text(id) + u")");
    EXPECT_EQ(ds.reg(0, &id, fn(drop_other), nullptr), 0);
    EXPECT_EQ(ds.reg(0, &id, nullptr, nullptr), 0);
    EXPECT_NE(eval(u"new(" + text(id) + u")"), 0);  // the type stays
    EXPECT_EQ(g_destroyed, 0);
    // The right one: every object goes first, then the type.
    EXPECT_EQ(ds.reg(0, &id, fn(drop_thing), nullptr), 1);
    EXPECT_EQ(g_destroyed, 2);
    EXPECT_EQ(kind_of(h), 0);
    EXPECT_EQ(eval(u"new(" + text(id) + u")"), 0);
    EXPECT_EQ(ds.reg(0, &id, fn(drop_thing), nullptr), 0);  // unknown now
}

TEST_F(Types, TypedefRemovesAliasesButNotExternalTypes) {
    int id = register_thing();
    int64_t h = eval(u"new(" + text(id) + u")");
    EXPECT_EQ(eval(u"typedef(0, " + text(id) + u")"), 0);
    EXPECT_EQ(kind_of(h), id);
    EXPECT_NE(eval(u"new(" + text(id) + u")"), 0);
    int64_t alias = eval(u"typedef(1, " + text(id) + u")");
    ASSERT_NE(alias, 0);
    EXPECT_EQ(eval(u"typedef(0, " + text(alias) + u")"), 1);
    EXPECT_EQ(eval(u"new(" + text(alias) + u")"), 0);
    EXPECT_EQ(kind_of(h), id);  // removing an alias deletes no object
}

TEST_F(Types, AnAliasGoesWithoutChecks) {
    int id = register_thing();
    int alias = ds.reg(2, &id, nullptr, nullptr);
    int64_t h = eval(u"new(" + text(id) + u")");
    EXPECT_EQ(ds.reg(0, &alias, nullptr, nullptr), 1);
    EXPECT_EQ(kind_of(h), id);  // objects stay
    EXPECT_EQ(eval(u"new(" + text(alias) + u")"), 0);
    EXPECT_NE(eval(u"new(" + text(id) + u")"), 0);
}

}  // namespace
}  // namespace datatest
