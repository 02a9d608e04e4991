// The name tree, the formula registry and its exports.
//
// Formulas are made by hand here (FormulaBuilder) and filed the way the
// compile front end files them: module count, referrers, then the name.  The
// registry only ever looks at the header, the name and the callee list, so a
// record holding a single OpReturn is enough.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/address_table.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel/registry/formulas.h"
#include "kernel/registry/modules.h"
#include "kernel/registry/name_tree.h"
#include "kernel/registry/registry.h"
#include "kernel/run_error.h"
#include "tamrix/tamrix.h"

namespace tmx {
namespace {

// --- hand-made formulas -----------------------------------------------------

struct FormulaPlan {
    int type = 2;
    int module = 1;
    std::u16string name;
    std::vector<uint32_t> callees; // address-table indices
    int32_t params = 0;
    int32_t var_count = 0;
    int32_t first_static = 0;
    int32_t free_var = 0;
    uint8_t flags = 0;
    std::vector<std::u16string> strings;
};

FormulaRecord *make_record(const FormulaPlan &s) {
    std::vector<uint8_t> code = {kIdle, s.flags};
    auto put = [&](const std::u16string &text) {
        for (char16_t ch : text + u'\0') {
            code.push_back(uint8_t(ch & 0xFF));
            code.push_back(uint8_t(ch >> 8));
        }
    };
    put(s.name);
    int32_t first_string = int32_t(code.size() / 2);
    for (const auto &text : s.strings) put(text);
    int32_t code_start = int32_t(code.size());
    code.push_back(OpReturn);

    auto *r = new FormulaRecord;
    r->type = int8_t(s.type);
    int32_t ncallees = int32_t(s.callees.size());
    int32_t header_length = kOperandStart + ncallees;
    int32_t data_length = s.var_count + 4;
    r->code = static_cast<uint8_t *>(std::malloc(code.size()));
    std::memcpy(r->code, code.data(), code.size());
    r->header = static_cast<int32_t *>(std::calloc(size_t(header_length), sizeof(int32_t)));
    r->data = std::calloc(size_t(data_length), slot_size(s.type));
    int32_t *h = r->header;
    h[kLastParam] = s.params - 1;
    h[kVarCount] = s.var_count;
    h[kCodeLength] = int32_t(code.size());
    h[kHeaderLength] = header_length;
    h[kDataLength] = data_length;
    h[kCodeStart] = code_start;
    h[kStackBase] = s.var_count;
    h[kModuleNo] = s.module;
    h[kSelf] = int32_t(address_register(r, AddressKind::Formula));
    h[kCalleeFirst] = kOperandStart;
    h[kCalleeLast] = kOperandStart + ncallees - 1;
    h[kFirstStatic] = s.first_static;
    h[kFreeVar] = s.free_var;
    h[kFirstString] = first_string;
    for (int32_t i = 0; i < ncallees; ++i) h[kOperandStart + i] = int32_t(s.callees[i]);
    return r;
}

// What the front end does after a successful compile.  End-to-end tests can
// replace this by a compile call that yields the same record.
FormulaRecord *file_by_hand(const FormulaPlan &s) {
    FormulaRecord *r = make_record(s);
    EXPECT_TRUE(module_formula_added(s.module));
    for (uint32_t callee : s.callees) EXPECT_TRUE(add_referrer(callee, r));
    EXPECT_TRUE(file_formula(r));
    return r;
}

FormulaPlan named(std::u16string name, int module = 1, int type = 2) {
    FormulaPlan s;
    s.name = std::move(name);
    s.module = module;
    s.type = type;
    return s;
}

FormulaPlan calling(std::u16string name, std::vector<uint32_t> callees, int module = 1) {
    FormulaPlan s = named(std::move(name), module);
    s.callees = std::move(callees);
    return s;
}

uint32_t index_of(const FormulaRecord *r) { return uint32_t(r->header[kSelf]); }
int32_t code_start(const FormulaRecord *r) { return r->header[kCodeStart]; }
int32_t callee_word(const FormulaRecord *r, int i) { return r->header[kOperandStart + i]; }

int referrer_count(const ReferrerCell *cell) {
    int n = 0;
    for (; cell; cell = cell->next) ++n;
    return n;
}

ExternalFunction *external(int type, const char16_t *name) {
    TreeEntry *e = name_tree().find(wide_key(name, wide_length(name)), type);
    return e ? static_cast<ExternalFunction *>(e->data) : nullptr;
}

double TM_CALL real_fn_a(int, double *, TmCallContext *) { return 1; }
double TM_CALL real_fn_b(int, double *, TmCallContext *) { return 2; }
void *fn_a() { return reinterpret_cast<void *>(&real_fn_a); }
void *fn_b() { return reinterpret_cast<void *>(&real_fn_b); }

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_teardown();
        address_reset();
        g_run_error = {};
        for (int type = 1; type <= 3; ++type) saved_evaluators_[type - 1] = release_evaluator(type);
    }
    void TearDown() override {
        registry_teardown();
        address_reset();
        g_run_error = {};
        // Tests swap in recording passes; later suites need the real ones.
        for (int type = 1; type <= 3; ++type) set_release_evaluator(type, saved_evaluators_[type - 1]);
    }

private:
    ReleaseEvaluator saved_evaluators_[3] = {};
};

// --- the name tree ----------------------------------------------------------

TreeKey key(const std::string &s) { return {s.data(), s.size()}; }

int g_released = 0;
void count_release(void *) { ++g_released; }

void *tag(intptr_t v) { return reinterpret_cast<void *>(v); }

TEST(NameTree, FindsExactKeysOnly) {
    NameTree tree;
    ASSERT_EQ(tree.insert(key("ab"), 1, tag(1), nullptr), NameTree::Insert::Added);
    EXPECT_EQ(tree.find(key("a"), 1), nullptr);
    EXPECT_EQ(tree.find(key("abc"), 1), nullptr);
    EXPECT_EQ(tree.find(key("ab"), 2), nullptr);
    ASSERT_NE(tree.find(key("ab"), 1), nullptr);
    EXPECT_EQ(tree.find(key("ab"), 1)->data, tag(1));
    // Bytes above 0x7F are ordinary key bytes.
    std::string high = "\x80\xff";
    EXPECT_EQ(tree.insert(key(high), 1, tag(2), nullptr), NameTree::Insert::Added);
    EXPECT_EQ(tree.find(key(high), 1)->data, tag(2));
}

TEST(NameTree, KeepsOneEntryPerKeyAndType) {
    NameTree tree;
    TreeEntry *first = nullptr, *again = nullptr;
    ASSERT_EQ(tree.insert(key("k"), 5, tag(1), nullptr, &first), NameTree::Insert::Added);
    EXPECT_EQ(tree.insert(key("k"), 5, tag(2), nullptr, &again), NameTree::Insert::Exists);
    EXPECT_EQ(again, first);
    EXPECT_EQ(tree.find(key("k"), 5)->data, tag(1));
    EXPECT_EQ(tree.insert(key("k"), 6, tag(3), nullptr), NameTree::Insert::Added);
    EXPECT_EQ(tree.find(key("k"), 6)->data, tag(3));
    EXPECT_EQ(tree.node_count(), 1u);
}

TEST(NameTree, PrefixesAreKeysOfTheirOwn) {
    NameTree tree;
    for (const char *k : {"a", "ab", "abc"}) tree.insert(key(k), 1, tag(1), nullptr);
    EXPECT_TRUE(tree.remove(key("ab"), 1));
    EXPECT_NE(tree.find(key("a"), 1), nullptr);
    EXPECT_NE(tree.find(key("abc"), 1), nullptr);
    EXPECT_EQ(tree.find(key("ab"), 1), nullptr);
    EXPECT_EQ(tree.node_count(), 2u);
}

TEST(NameTree, RemovalPrunesEmptyNodesAndReleasesOnce) {
    g_released = 0;
    NameTree tree;
    tree.insert(key("x"), 1, nullptr, count_release);
    tree.insert(key("x"), 2, nullptr, count_release);
    EXPECT_FALSE(tree.remove(key("x"), 3));
    EXPECT_FALSE(tree.remove(key("y"), 1));
    EXPECT_TRUE(tree.remove(key("x"), 1));
    EXPECT_EQ(g_released, 1);
    EXPECT_EQ(tree.node_count(), 1u);
    EXPECT_TRUE(tree.remove(key("x"), 2));
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(g_released, 2);

    TreeEntry *taken = nullptr;
    tree.insert(key("z"), 1, nullptr, count_release);
    taken = tree.unlink(key("z"), 1);
    ASSERT_NE(taken, nullptr);
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(g_released, 2); // unlink hands the entry over unreleased
    release_entry(taken);
    EXPECT_EQ(g_released, 3);
}

TEST(NameTree, HandlesMegabyteKeys) {
    NameTree tree;
    std::string long_key(1 << 20, 'q');
    std::string longer = long_key + "r";
    tree.insert(key(long_key), 1, tag(1), nullptr);
    tree.insert(key(longer), 1, tag(2), nullptr);
    EXPECT_EQ(tree.find(key(long_key), 1)->data, tag(1));
    EXPECT_EQ(tree.find(key(longer), 1)->data, tag(2));
    EXPECT_TRUE(tree.remove(key(long_key), 1));
    EXPECT_EQ(tree.find(key(longer), 1)->data, tag(2));
}

bool accept_non_digit(TreeKey rest) { return rest.size > 0 && (rest.data[0] < '0' || rest.data[0] > '9'); }

TEST(NameTree, RemovesByPrefixTypeAndRule) {
    g_released = 0;
    NameTree tree;
    for (const char *k : {"12x", "12y", "1x", "123z", "12", "2x"})
        tree.insert(key(k), 10, nullptr, count_release);
    tree.insert(key("12x"), 11, nullptr, count_release);
    EXPECT_EQ(tree.remove_prefixed(10, key("12"), accept_non_digit), 2u);
    EXPECT_EQ(g_released, 2);
    EXPECT_EQ(tree.find(key("12x"), 10), nullptr);
    EXPECT_NE(tree.find(key("12x"), 11), nullptr);
    for (const char *k : {"1x", "123z", "12", "2x"}) EXPECT_NE(tree.find(key(k), 10), nullptr) << k;
    EXPECT_EQ(tree.remove_type(10), 4u);
    EXPECT_EQ(tree.node_count(), 1u);
}

std::vector<std::string> keys_of_type(const NameTree &tree, int32_t type) {
    std::vector<std::string> out;
    TreeKey k;
    for (TreeEntry *e = tree.next_of_type(type, {}, true, &k); e;) {
        out.emplace_back(k.data, k.size);
        std::string last = out.back();
        e = tree.next_of_type(type, key(last), false, &k);
    }
    return out;
}

TEST(NameTree, EnumeratesInBitwiseOrderShorterFirst) {
    NameTree tree;
    std::vector<std::string> keys = {"b", std::string("\x80", 1), "ab", std::string("\0", 1),
                                     "a", std::string("a\0", 2), "\x7f", std::string("\xff\x01", 2)};
    for (const auto &k : keys) tree.insert(key(k), 300, nullptr, nullptr);
    tree.insert(key("aa"), 301, nullptr, nullptr); // another type: skipped
    std::vector<std::string> expected = {std::string("\0", 1), "a", std::string("a\0", 2), "ab",
                                         "b", "\x7f", std::string("\x80", 1),
                                         std::string("\xff\x01", 2)};
    EXPECT_EQ(keys_of_type(tree, 300), expected);
}

TEST(NameTree, EnumerationContinuesAfterTheCurrentKeyIsRemoved) {
    NameTree tree;
    for (const char *k : {"a", "b", "c"}) tree.insert(key(k), 300, nullptr, nullptr);
    TreeKey k;
    ASSERT_NE(tree.next_of_type(300, {}, true, &k), nullptr);
    std::string current(k.data, k.size);
    tree.remove(key(current), 300);
    ASSERT_NE(tree.next_of_type(300, key(current), false, &k), nullptr);
    EXPECT_EQ(std::string(k.data, k.size), "b");
}

NameTree *g_reentrant_tree = nullptr;
void refile_once(void *data) {
    ++g_released;
    // Each release files a new key; its own release files nothing.
    if (data) g_reentrant_tree->insert(key("new"), 1, nullptr, count_release);
}

TEST(NameTree, ReleaseRoutinesMayChangeTheTree) {
    g_released = 0;
    NameTree tree;
    g_reentrant_tree = &tree;
    tree.insert(key("p1"), 1, tag(1), refile_once);
    tree.insert(key("p2"), 1, nullptr, count_release);
    EXPECT_EQ(tree.remove_prefixed(1, key("p"), nullptr), 2u);
    EXPECT_NE(tree.find(key("new"), 1), nullptr);
    tree.insert(key("q"), 1, tag(1), refile_once);
    tree.remove(key("new"), 1);
    tree.clear();
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(g_released, 5);
}

// --- SetFunction, SetConst, DeleteConstOrFunction -------------------------

TEST_F(RegistryTest, SetFunctionResultCodes) {
    EXPECT_EQ(SetFunction(5, u"f", fn_a(), 0), 0);
    EXPECT_EQ(SetFunction(5, u"f", fn_b(), 1), 1);
    EXPECT_EQ(external(5, u"f")->address, fn_a());
    EXPECT_EQ(external(5, u"f")->param_count, 0);
    EXPECT_EQ(SetFunction(4, u"f", fn_b(), 0), 0);
    EXPECT_EQ(SetFunction(5, u"", fn_a(), 0), 3);
    EXPECT_EQ(SetFunction(5, nullptr, fn_a(), 0), 3);
    EXPECT_EQ(SetFunction(3, u"g", fn_a(), 0), 4);
    EXPECT_EQ(SetFunction(7, u"g", fn_a(), 0), 4);
    EXPECT_EQ(SetFunction(5, u"g", nullptr, 0), 4);
    EXPECT_EQ(external(5, u"g"), nullptr);
}

TEST_F(RegistryTest, SetConstCopiesTheValue) {
    double pi = 3.25;
    EXPECT_EQ(SetConst(8, u"pi", &pi), 0);
    pi = 0;
    double again = 9;
    EXPECT_EQ(SetConst(8, u"pi", &again), 1);
    const void *stored = find_constant(8, u"pi", 2);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(*static_cast<const double *>(stored), 3.25);

    TmComplex z = {1.5, -2.5};
    EXPECT_EQ(SetConst(9, u"z", &z), 0);
    EXPECT_EQ(std::memcmp(find_constant(9, u"z", 1), &z, sizeof z), 0);
    EXPECT_EQ(find_constant(7, u"pi", 2), nullptr);
    EXPECT_EQ(SetConst(8, u"", &pi), 3);
    EXPECT_EQ(SetConst(6, u"c", &pi), 4);
    EXPECT_EQ(SetConst(8, u"c", nullptr), 4);
}

void foreign_release(void *data) { std::free(data); }

TEST_F(RegistryTest, DeleteConstOrFunctionSparesForeignConstants) {
    int64_t one = 1;
    ASSERT_EQ(SetConst(7, u"a", &one), 0);
    void *own = std::malloc(8);
    std::memcpy(own, &one, 8);
    name_tree().insert(wide_key(u"b", 1), 7, own, foreign_release);
    ASSERT_EQ(SetFunction(4, u"a", fn_a(), 0), 0);

    DeleteConstOrFunction(7, u"a");
    DeleteConstOrFunction(7, u"b");
    EXPECT_EQ(find_constant(7, u"a", 1), nullptr);
    EXPECT_NE(find_constant(7, u"b", 1), nullptr);

    DeleteConstOrFunction(3, u"a"); // other types and empty names: ignored
    DeleteConstOrFunction(10, u"a");
    DeleteConstOrFunction(4, u"");
    DeleteConstOrFunction(4, nullptr);
    EXPECT_NE(external(4, u"a"), nullptr);
    DeleteConstOrFunction(4, u"a");
    EXPECT_EQ(external(4, u"a"), nullptr);
}

TEST_F(RegistryTest, RemovingAFunctionInvalidatesItsCallers) {
    ASSERT_EQ(SetFunction(5, u"f", fn_a(), 0), 0);
    uint32_t f = external(5, u"f")->index;
    FormulaRecord *h = file_by_hand(calling(u"h", {f}));
    FormulaRecord *bystander = file_by_hand(named(u"k"));
    int32_t valid_start = code_start(bystander);

    DeleteConstOrFunction(5, u"f");
    EXPECT_EQ(code_start(h), kInvalidFunctionRemoved);
    EXPECT_EQ(callee_word(h, 0), 0);
    EXPECT_EQ(code_start(bystander), valid_start);
    EXPECT_EQ(address_lookup(f, AddressKind::ExternalFunction), nullptr);

    // Registered anew, the function serves a new formula; the old caller
    // stays registered but invalid.
    ASSERT_EQ(SetFunction(5, u"f", fn_a(), 0), 0);
    ExternalFunction *fresh = external(5, u"f");
    FormulaRecord *h2 = file_by_hand(calling(u"h", {fresh->index}));
    EXPECT_GT(code_start(h2), 0);
    EXPECT_EQ(referrer_count(fresh->referrers), 1);
    DeleteFor(2, h);
    DeleteFor(2, h2);
    EXPECT_EQ(fresh->referrers, nullptr);
}

// --- DeleteFor --------------------------------------------------------------

TEST_F(RegistryTest, DeletingACalleeInvalidatesItsCallers) {
    FormulaRecord *g = file_by_hand(named(u"g"));
    uint32_t gi = index_of(g);
    FormulaRecord *other = file_by_hand(named(u"o"));
    FormulaRecord *h = file_by_hand(calling(u"h", {index_of(other), gi}));
    EXPECT_EQ(referrer_count(g->referrers), 1);

    DeleteFor(2, g);
    EXPECT_EQ(code_start(h), kInvalidCalleeDeleted);
    EXPECT_EQ(callee_word(h, 0), int32_t(index_of(other)));
    EXPECT_EQ(callee_word(h, 1), 0);
    EXPECT_EQ(address_lookup(gi, AddressKind::Formula), nullptr);
    // The invalid caller is still there under its name.
    void *found = nullptr;
    EXPECT_TRUE(GetFor(u"h", 2, nullptr, nullptr, &found, nullptr, nullptr));
    EXPECT_EQ(found, h);
    DeleteFor(2, h);
    EXPECT_EQ(other->referrers, nullptr);
}

TEST_F(RegistryTest, DeletingACallerLeavesTheCalleeValid) {
    FormulaRecord *g = file_by_hand(named(u"g"));
    int32_t start = code_start(g);
    FormulaRecord *h = file_by_hand(calling(u"h", {index_of(g)}));
    FormulaRecord *h2 = file_by_hand(calling(u"h2", {index_of(g)}));
    EXPECT_EQ(referrer_count(g->referrers), 2);
    DeleteFor(2, h);
    EXPECT_EQ(referrer_count(g->referrers), 1);
    EXPECT_EQ(g->referrers->formula, h2);
    EXPECT_EQ(code_start(g), start);
}

// Each caller unlinks its own cell, so any order of deletion leaves exactly
// the remaining callers in the shared callee's list, newest first.
TEST_F(RegistryTest, CallersLeaveASharedCalleeInAnyOrder) {
    const std::vector<std::vector<int>> orders = {
        {0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {2, 0, 4, 1, 3}, {1, 3}};
    for (const auto &order : orders) {
        FormulaRecord *g = file_by_hand(named(u"g"));
        std::vector<FormulaRecord *> callers;
        for (int k = 0; k < 5; ++k) {
            std::u16string name = u"h" + std::u16string(1, char16_t(u'0' + k));
            // The last caller names g twice: one cell per callee word.
            std::vector<uint32_t> callees(k == 4 ? 2 : 1, index_of(g));
            callers.push_back(file_by_hand(calling(name, callees)));
        }
        for (int k : order) {
            DeleteFor(2, callers[size_t(k)]);
            callers[size_t(k)] = nullptr;
            std::vector<FormulaRecord *> expected;
            for (auto it = callers.rbegin(); it != callers.rend(); ++it) {
                if (!*it) continue;
                expected.push_back(*it);
                if (*it == callers[4]) expected.push_back(*it);
            }
            std::vector<FormulaRecord *> listed;
            for (ReferrerCell *c = g->referrers; c; c = c->next) {
                EXPECT_EQ(*c->link, c);
                listed.push_back(c->formula);
            }
            EXPECT_EQ(listed, expected);
        }
        for (FormulaRecord *h : callers)
            if (h) DeleteFor(2, h);
        EXPECT_EQ(g->referrers, nullptr);
        DeleteFor(2, g);
    }
}

TEST_F(RegistryTest, SameNameListIsNewestFirstAndLeavesWithItsLastFormula) {
    size_t nodes_before = name_tree().node_count();
    FormulaRecord *f1 = file_by_hand(named(u"f", 1));
    FormulaRecord *f2 = file_by_hand(named(u"f", -2));
    FormulaRecord *head = same_name_list(2, u"f", 1);
    EXPECT_EQ(head, f2);
    EXPECT_EQ(head->next, f1);
    DeleteFor(2, f2);
    EXPECT_EQ(same_name_list(2, u"f", 1), f1);
    EXPECT_EQ(f1->prev, nullptr);
    DeleteFor(2, f1);
    EXPECT_EQ(same_name_list(2, u"f", 1), nullptr);
    EXPECT_FALSE(GetFor(u"f", 2, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(name_tree().find(wide_key(u"f", 1), 2), nullptr);
    EXPECT_EQ(name_tree().node_count(), nodes_before);
}

TEST_F(RegistryTest, AnonymousFormulasHaveTheirOwnList) {
    FormulaRecord *a = file_by_hand(named(u"", 1, 1));
    FormulaRecord *b = file_by_hand(named(u"", 1, 1));
    EXPECT_EQ(anonymous_list(1), b);
    EXPECT_TRUE(IsFor(u"", 1, 1, a, a->data, -1));
    EXPECT_FALSE(IsFor(u"", 2, 1, a, a->data, -1));
    DeleteFor(1, b);
    EXPECT_EQ(anonymous_list(1), a);
    EXPECT_EQ(a->prev, nullptr);
    EXPECT_FALSE(IsFor(u"", 1, 1, b, nullptr, -1)); // a stale pointer is only compared
}

TEST_F(RegistryTest, DeleteForRefusesWhatIsNotALiveFormulaOfThatType) {
    FormulaRecord *f = file_by_hand(named(u"f"));
    int local = 0;
    DeleteFor(2, reinterpret_cast<void *>(uintptr_t(0x10)));
    DeleteFor(2, &local);
    DeleteFor(2, nullptr);
    DeleteFor(1, f);
    DeleteFor(4, f);
    DeleteFor(0, f);
    EXPECT_EQ(same_name_list(2, u"f", 1), f);
    // A formula that is running stays until it is idle.
    f->code[0] = kRunning;
    DeleteFor(2, f);
    EXPECT_EQ(same_name_list(2, u"f", 1), f);
    f->code[0] = kIdle;
    DeleteFor(2, f);
    EXPECT_EQ(same_name_list(2, u"f", 1), nullptr);
}

// --- the release pass ---------------------------------------------------------

struct PassLog {
    int calls = 0;
    FormulaRecord *formula = nullptr;
    double real_marker = 0;
    int64_t int_marker = 0;
    int32_t free_var = 0;
};
PassLog g_pass;

void record_real_pass(FormulaRecord *r) {
    ++g_pass.calls;
    g_pass.formula = r;
    g_pass.real_marker = static_cast<double *>(r->data)[g_pass.free_var];
}
void record_int_pass(FormulaRecord *r) {
    ++g_pass.calls;
    g_pass.int_marker = static_cast<int64_t *>(r->data)[g_pass.free_var];
}

FormulaPlan with_free_marker(std::u16string name, int type = 2) {
    // f(x : a, static, s1, s2, free) -> 0 x, 1 a, 2 static, 3 s1, 4 s2, 5 free
    FormulaPlan s = named(std::move(name), 1, type);
    s.params = 1;
    s.var_count = 6;
    s.first_static = 2;
    s.free_var = 5;
    return s;
}

TEST_F(RegistryTest, ReleasePassRunsOnceWithTheMarkerSet) {
    g_pass = {};
    g_pass.free_var = 5;
    set_release_evaluator(2, record_real_pass);
    set_release_evaluator(1, record_int_pass);
    FormulaRecord *f = file_by_hand(with_free_marker(u"f"));
    DeleteFor(2, f);
    EXPECT_EQ(g_pass.calls, 1);
    EXPECT_EQ(g_pass.formula, f);
    EXPECT_EQ(g_pass.real_marker, 1.0);

    FormulaRecord *i = file_by_hand(with_free_marker(u"i", 1));
    DeleteFor(1, i);
    EXPECT_EQ(g_pass.calls, 2);
    EXPECT_EQ(g_pass.int_marker, 1);

    FormulaRecord *plain = file_by_hand(named(u"p"));
    DeleteFor(2, plain);
    EXPECT_EQ(g_pass.calls, 2);
}

struct HookLog {
    int calls = 0;
    void *statics = nullptr, *again = nullptr;
    int type = 0, count = -1;
};
HookLog g_hook;
void TM_CALL record_hook(void *statics, int type, void *again, int count) {
    g_hook = {g_hook.calls + 1, statics, again, type, count};
}

TEST_F(RegistryTest, InvalidFormulaHandsItsStaticsToTheHook) {
    g_pass = {};
    g_hook = {};
    set_release_evaluator(2, record_real_pass);
    g_static_release_hook = record_hook;
    FormulaRecord *g = file_by_hand(named(u"g"));
    FormulaPlan plan = with_free_marker(u"f");
    plan.callees = {index_of(g)};
    FormulaRecord *f = file_by_hand(plan);
    DeleteFor(2, g); // f may no longer run
    ASSERT_EQ(code_start(f), kInvalidCalleeDeleted);
    auto *expected = static_cast<double *>(f->data) + 3;
    DeleteFor(2, f);
    EXPECT_EQ(g_pass.calls, 0);
    EXPECT_EQ(g_hook.calls, 1);
    EXPECT_EQ(g_hook.statics, expected);
    EXPECT_EQ(g_hook.again, expected);
    EXPECT_EQ(g_hook.type, 2);
    EXPECT_EQ(g_hook.count, 2);
}

void pass_that_names_itself(FormulaRecord *r) {
    ++g_pass.calls;
    record_run_error(2, u"f", 1, 2, r);
    // Its external functions still find it through their call context...
    TmCallContext ctx = {2, r};
    char16_t *str = nullptr;
    int first = -1, last = -1;
    GetForStr(&ctx, &str, &first, &last);
    g_pass.real_marker = str == reinterpret_cast<char16_t *>(r->code) ? 1 : 0;
    // ...but cannot delete it a second time.
    DeleteFor(2, r);
}

TEST_F(RegistryTest, ReleasePassLeavesNoReferenceToTheFormula) {
    g_pass = {};
    set_release_evaluator(2, pass_that_names_itself);
    FormulaRecord *f = file_by_hand(with_free_marker(u"f"));
    DeleteFor(2, f);
    EXPECT_EQ(g_pass.calls, 1);
    EXPECT_EQ(g_pass.real_marker, 1);
    EXPECT_EQ(g_run_error.type, 2);
    EXPECT_EQ(g_run_error.formula, nullptr);
}

TEST_F(RegistryTest, TeardownRunsNoReleasePass) {
    g_pass = {};
    g_hook = {};
    set_release_evaluator(2, record_real_pass);
    g_static_release_hook = record_hook;
    file_by_hand(with_free_marker(u"f"));
    FormulaRecord *dead = file_by_hand(with_free_marker(u""));
    dead->header[kCodeStart] = kInvalidCalleeDeleted;
    registry_teardown();
    EXPECT_EQ(g_pass.calls, 0);
    EXPECT_EQ(g_hook.calls, 0);
    EXPECT_EQ(g_static_release_hook, nullptr);
}

// --- modules and shared variables -----------------------------------------

TEST_F(RegistryTest, ModuleRecordCountsFormulasOfBothSigns) {
    FormulaRecord *a = file_by_hand(named(u"a", 3));
    FormulaRecord *b = file_by_hand(named(u"b", -3));
    ASSERT_NE(find_module(3), nullptr);
    EXPECT_EQ(find_module(-3), find_module(3));
    EXPECT_EQ(find_module(3)->formula_count, 2);
    DeleteFor(2, a);
    EXPECT_EQ(find_module(3)->formula_count, 1);
    DeleteFor(2, b);
    EXPECT_EQ(find_module(3), nullptr);
    // The most negative module number has a record of its own.
    FormulaRecord *m = file_by_hand(named(u"m", INT32_MIN));
    EXPECT_EQ(find_module(INT32_MIN)->formula_count, 1);
    DeleteFor(2, m);
    EXPECT_EQ(find_module(INT32_MIN), nullptr);
}

TEST_F(RegistryTest, SharedCellsAreReusedAndGoWithTheModule) {
    FormulaRecord *f = file_by_hand(named(u"f", 3));
    FormulaRecord *g = file_by_hand(named(u"g", 33));
    uint32_t x3 = shared_cell(11, 3, u"x", 1, false);
    ASSERT_NE(x3, 0u);
    EXPECT_EQ(shared_cell(11, -3, u"x", 1, false), x3);
    uint32_t x33 = shared_cell(11, 33, u"x", 1, false);
    uint32_t common = shared_cell(11, 3, u"x", 1, true);
    uint32_t int_x3 = shared_cell(10, 3, u"x", 1, false);
    uint32_t cplx_x3 = shared_cell(12, 3, u"x", 1, false);
    for (uint32_t i : {x33, common, int_x3, cplx_x3}) EXPECT_NE(i, x3);

    auto *cell = static_cast<unsigned char *>(address_lookup(cplx_x3, AddressKind::SharedCell));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(cell) % 16, 0u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cell[i], 0);
    EXPECT_EQ(shared_cell(13, 3, u"x", 1, false), 0u);
    EXPECT_EQ(shared_cell(11, 3, u"", 0, false), 0u);

    DeleteFor(2, f);
    for (uint32_t i : {x3, int_x3, cplx_x3})
        EXPECT_EQ(address_lookup(i, AddressKind::SharedCell), nullptr);
    EXPECT_NE(address_lookup(x33, AddressKind::SharedCell), nullptr);
    EXPECT_NE(address_lookup(common, AddressKind::SharedCell), nullptr);
    DeleteFor(2, g);
    EXPECT_EQ(address_lookup(x33, AddressKind::SharedCell), nullptr);
    EXPECT_NE(address_lookup(common, AddressKind::SharedCell), nullptr);
}

void TM_CALL lock_a() {}
void TM_CALL lock_b() {}

TEST_F(RegistryTest, LockCheckOfACompile) {
    EXPECT_TRUE(module_lock_allows(7, lock_a));
    ModuleRecord *record = module_record(7);
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(module_lock_allows(7, lock_b));
    record->lock = lock_a;
    EXPECT_TRUE(module_lock_allows(7, lock_a));
    EXPECT_TRUE(module_lock_allows(-7, lock_a));
    EXPECT_FALSE(module_lock_allows(7, lock_b));
    EXPECT_TRUE(module_lock_allows(7, nullptr));
}

TEST_F(RegistryTest, DiscardUndoesAFailedFiling) {
    ASSERT_EQ(SetFunction(5, u"ext", fn_a(), 0), 0);
    ExternalFunction *ext = external(5, u"ext");
    FormulaRecord *g = file_by_hand(named(u"g", 4));
    FormulaPlan plan = calling(u"h", {index_of(g), ext->index}, 4);
    FormulaRecord *h = make_record(plan);
    ASSERT_TRUE(module_formula_added(4));
    ASSERT_TRUE(add_referrer(index_of(g), h)); // the second one "failed"
    EXPECT_EQ(find_module(4)->formula_count, 2);
    discard_formula(h);
    EXPECT_EQ(g->referrers, nullptr);
    EXPECT_EQ(ext->referrers, nullptr);
    EXPECT_EQ(find_module(4)->formula_count, 1);
    EXPECT_FALSE(add_referrer(0, g));
    EXPECT_FALSE(add_referrer(999999, g));
}

// --- name resolution ----------------------------------------------------------

Callee resolve(const std::u16string &name, int module, int ext_type = 5) {
    Callee c = {0, 0};
    if (!resolve_function(name.data(), int32_t(name.size()), module, ext_type, &c)) return {0, 0};
    return c;
}

TEST_F(RegistryTest, ResolutionPrefersTheCallersModule) {
    FormulaRecord *pub_int = file_by_hand(named(u"f", 1, 1));
    FormulaRecord *own_cplx = file_by_hand(named(u"f", -2, 3));
    Callee c = resolve(u"f", 2);
    EXPECT_EQ(c.kind, 9);
    EXPECT_EQ(c.index, index_of(own_cplx));
    c = resolve(u"f", -2);
    EXPECT_EQ(c.index, index_of(own_cplx));
    c = resolve(u"f", 5);
    EXPECT_EQ(c.kind, 7);
    EXPECT_EQ(c.index, index_of(pub_int));
}

TEST_F(RegistryTest, ResolutionTakesThePublicFormulaMetLast) {
    file_by_hand(named(u"f", 1, 1));
    FormulaRecord *cplx = file_by_hand(named(u"f", 2, 3));
    file_by_hand(named(u"f", 3, 2));
    EXPECT_EQ(resolve(u"f", 9).index, index_of(cplx));

    // Within one list the scan runs newest first, so the oldest public wins.
    FormulaRecord *older = file_by_hand(named(u"g", 1));
    file_by_hand(named(u"g", 2));
    Callee c = resolve(u"g", 9);
    EXPECT_EQ(c.kind, 8);
    EXPECT_EQ(c.index, index_of(older));
}

TEST_F(RegistryTest, ResolutionFallsBackToExternalFunctions) {
    file_by_hand(named(u"f", -1));
    ASSERT_EQ(SetFunction(5, u"f", fn_a(), 0), 0);
    ASSERT_EQ(SetFunction(5, u"sys::g", fn_b(), 0), 0);
    Callee c = resolve(u"f", 2);
    EXPECT_EQ(c.kind, 10);
    EXPECT_EQ(c.index, external(5, u"f")->index);
    EXPECT_EQ(resolve(u"f", 1).kind, 8); // the private one, from its own module
    EXPECT_EQ(resolve(u"f", 2, 4).kind, 0);
    EXPECT_EQ(resolve(u"sys::g", 2).index, external(5, u"sys::g")->index);
    EXPECT_EQ(resolve(u"nothing", 2).kind, 0);
    EXPECT_EQ(used_modules(1), nullptr);
}

TEST_F(RegistryTest, DuplicateNameRule) {
    file_by_hand(named(u"pub", 1, 1));
    file_by_hand(named(u"priv", -1, 3));
    auto conflicts = [](const std::u16string &n, int m) {
        return name_conflicts(n.data(), int32_t(n.size()), m);
    };
    EXPECT_TRUE(conflicts(u"pub", 1));
    EXPECT_TRUE(conflicts(u"pub", -1));
    EXPECT_TRUE(conflicts(u"pub", 2)); // both public
    EXPECT_FALSE(conflicts(u"pub", -2));
    EXPECT_TRUE(conflicts(u"priv", 1));
    EXPECT_TRUE(conflicts(u"priv", -1));
    EXPECT_FALSE(conflicts(u"priv", 2));
    EXPECT_FALSE(conflicts(u"priv", -2));
    EXPECT_FALSE(conflicts(u"other", 1));
}

// --- lookups ------------------------------------------------------------------

TEST_F(RegistryTest, GetForByNameWorksInTheCallersModule) {
    FormulaRecord *pub = file_by_hand(named(u"f", 1));
    FormulaRecord *priv = file_by_hand(named(u"f", -2));
    FormulaRecord *caller = file_by_hand(named(u"c", 2, 1));
    TmCallContext ctx = {1, caller};
    int module = 0, params = 0;
    void *handle = nullptr, *data = nullptr;
    ASSERT_TRUE(GetFor(u"f", 2, &ctx, &module, &handle, &data, &params));
    EXPECT_EQ(handle, priv);
    EXPECT_EQ(module, -2);
    EXPECT_EQ(data, priv->data);
    EXPECT_EQ(params, -1);
    ASSERT_TRUE(GetFor(u"f", 2, nullptr, &module, &handle, &data, &params));
    EXPECT_EQ(handle, pub);
    EXPECT_FALSE(GetFor(u"f", 1, &ctx, &module, &handle, &data, &params));
    EXPECT_FALSE(GetFor(u"f", 4, &ctx, &module, &handle, &data, &params));
    TmCallContext bogus = {2, reinterpret_cast<void *>(uintptr_t(0x10))};
    EXPECT_FALSE(GetFor(u"f", 2, &bogus, &module, &handle, &data, &params));
}

TEST_F(RegistryTest, GetForWithNegativeTypeResolvesAcrossTypes) {
    file_by_hand(named(u"f", 1, 1));
    FormulaRecord *real = file_by_hand(named(u"f", 2, 2));
    void *handle = nullptr;
    EXPECT_TRUE(GetFor(u"f", -2, nullptr, nullptr, &handle, nullptr, nullptr));
    EXPECT_EQ(handle, real);
    // The resolved formula is the real one, so an integer request fails.
    EXPECT_FALSE(GetFor(u"f", -1, nullptr, nullptr, &handle, nullptr, nullptr));
}

void *number_handle(uint32_t h, uint32_t high = 0) {
    return reinterpret_cast<void *>(uintptr_t(high) << 32 | h);
}

TEST_F(RegistryTest, HandlesCarriedInNumbers) {
    FormulaRecord *f = file_by_hand(named(u"f", 5));
    FormulaRecord *unissued = file_by_hand(named(u"u", 5));
    uint32_t h = issue_formula_handle(f);
    ASSERT_EQ(h, index_of(f));
    EXPECT_TRUE(f->code[1] & kFlagHandleIssued);

    int module = 0, params = 7;
    void *handle = nullptr, *data = nullptr;
    ASSERT_TRUE(GetFor(nullptr, 2, number_handle(h, 0xFFFFFFFF), &module, &handle, &data, &params));
    EXPECT_EQ(handle, f);
    EXPECT_EQ(module, 5);
    EXPECT_EQ(params, -1);
    EXPECT_FALSE(GetFor(nullptr, 1, number_handle(h), nullptr, &handle, nullptr, nullptr));
    EXPECT_FALSE(GetFor(nullptr, 2, number_handle(index_of(unissued)), nullptr, &handle, nullptr,
                        nullptr));
    EXPECT_FALSE(GetFor(nullptr, 2, number_handle(0xDEADBEEF), nullptr, &handle, nullptr, nullptr));
    EXPECT_FALSE(GetFor(nullptr, 2, nullptr, nullptr, &handle, nullptr, nullptr));

    EXPECT_TRUE(IsFor(nullptr, 2, 5, number_handle(h), f->data, -1));
    EXPECT_FALSE(IsFor(nullptr, 3, 5, number_handle(h), f->data, -1));

    DeleteFor(2, f);
    EXPECT_EQ(name_tree().find(TreeKey(reinterpret_cast<const char *>(&h), 4), 16), nullptr);
    EXPECT_FALSE(GetFor(nullptr, 2, number_handle(h), nullptr, &handle, nullptr, nullptr));
    EXPECT_FALSE(IsFor(nullptr, 2, 5, number_handle(h), nullptr, -1));
}

TEST_F(RegistryTest, IsForChecksEveryIdentifyingValue) {
    FormulaPlan plan = named(u"f", 4);
    plan.params = 2;
    FormulaRecord *f = file_by_hand(plan);
    EXPECT_TRUE(IsFor(u"f", 2, 4, f, f->data, 1));
    EXPECT_FALSE(IsFor(u"f", 2, 4, f, f->data, 0));
    EXPECT_FALSE(IsFor(u"f", 2, -4, f, f->data, 1));
    EXPECT_FALSE(IsFor(u"f", 2, 4, f, nullptr, 1));
    EXPECT_FALSE(IsFor(u"g", 2, 4, f, f->data, 1));
    EXPECT_FALSE(IsFor(u"f", 1, 4, f, f->data, 1));
    EXPECT_FALSE(IsFor(u"f", 2, 4, nullptr, f->data, 1));
    void *data = f->data;
    DeleteFor(2, f);
    EXPECT_FALSE(IsFor(u"f", 2, 4, f, data, 1));
}

TEST_F(RegistryTest, ParaModifyReportsTheFlag) {
    FormulaPlan plan = named(u"m");
    plan.flags = kFlagModifiesParams;
    FormulaRecord *m = file_by_hand(plan);
    FormulaRecord *n = file_by_hand(named(u"n"));
    EXPECT_TRUE(ParaModify(2, m));
    EXPECT_FALSE(ParaModify(2, n));
    EXPECT_FALSE(ParaModify(1, m));
    EXPECT_FALSE(ParaModify(4, m));
    EXPECT_FALSE(ParaModify(2, reinterpret_cast<void *>(uintptr_t(0x10))));
}

TEST_F(RegistryTest, GetForStrGivesTheStringArea) {
    FormulaPlan plan = named(u"fn");
    plan.strings = {u"ab", u"c"};
    FormulaRecord *f = file_by_hand(plan);
    TmCallContext ctx = {2, f};
    char16_t *str = nullptr;
    int first = 0, last = 0;
    GetForStr(&ctx, &str, &first, &last);
    ASSERT_EQ(str, reinterpret_cast<char16_t *>(f->code));
    EXPECT_EQ(first, 4); // word 1 "fn", word 3 NUL, strings from word 4
    EXPECT_EQ(last, 8);  // "ab\0c\0" ends at word 8
    EXPECT_EQ(std::u16string(str + first), u"ab");
    EXPECT_EQ(std::u16string(str + 7), u"c");

    uint32_t h = issue_formula_handle(f);
    str = static_cast<char16_t *>(number_handle(h));
    last = 2;
    GetForStr(nullptr, &str, &first, &last);
    EXPECT_EQ(str, reinterpret_cast<char16_t *>(f->code));
    EXPECT_EQ(last, 8);

    // Unknown handles, wrong types and dead contexts give an empty range.
    for (int type : {1, 3, 0}) {
        str = static_cast<char16_t *>(number_handle(h));
        last = type;
        GetForStr(nullptr, &str, &first, &last);
        EXPECT_EQ(str, nullptr);
        EXPECT_GT(first, last);
    }
    TmCallContext dead = {2, reinterpret_cast<void *>(uintptr_t(0x10))};
    GetForStr(&dead, &str, &first, &last);
    EXPECT_EQ(str, nullptr);
    EXPECT_GT(first, last);
    GetForStr(nullptr, nullptr, nullptr, nullptr);
}

// --- teardown -----------------------------------------------------------------

TEST_F(RegistryTest, TeardownReleasesEverything) {
    ASSERT_EQ(SetFunction(5, u"ext", fn_a(), 0), 0);
    uint32_t ext = external(5, u"ext")->index;
    double v = 1;
    ASSERT_EQ(SetConst(8, u"c", &v), 0);
    FormulaRecord *g = file_by_hand(named(u"g", 2));
    file_by_hand(calling(u"h", {index_of(g), ext}, 2));
    file_by_hand(calling(u"", {index_of(g), ext}, 2));
    issue_formula_handle(g);
    uint32_t cell = shared_cell(11, 2, u"x", 1, false);
    name_tree().insert(TreeKey("key", 3), 300, std::malloc(4), foreign_release);

    registry_teardown();
    EXPECT_TRUE(name_tree().empty());
    EXPECT_EQ(anonymous_list(2), nullptr);
    EXPECT_EQ(address_lookup(ext, AddressKind::ExternalFunction), nullptr);
    EXPECT_EQ(address_lookup(cell, AddressKind::SharedCell), nullptr);
    EXPECT_FALSE(g_in_teardown);
    // Leaks, if any, are reported by the sanitizer build.
}

}  // namespace
}  // namespace tmx
