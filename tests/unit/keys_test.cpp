// The key registry exports: reserved types, public and private keys,
// replacement, type locks, enumeration, and delete functions or callbacks
// that call straight back into the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/registry/name_tree.h"
#include "tamrix/tamrix.h"

namespace {

// Every delete function call, in order: which function, which value.
struct DeleteCall {
    int owner;
    void *value;
    bool operator==(const DeleteCall &o) const { return owner == o.owner && value == o.value; }
};
std::vector<DeleteCall> g_deleted;

void TM_CALL delete_a(void *value) { g_deleted.push_back({1, value}); }
void TM_CALL delete_b(void *value) { g_deleted.push_back({2, value}); }

int g_token_calls = 0;
void TM_CALL token_a() { ++g_token_calls; }
void TM_CALL token_b() { ++g_token_calls; }

void *tag(intptr_t v) { return reinterpret_cast<void *>(v); }

int len(const std::string &s) { return int(s.size()); }

int insert(const std::string &key, int type, void *value, TmKeyDelete del, void *replace = nullptr,
           void **seen = nullptr) {
    void *now = replace;
    int rc = InsertKey(key.data(), len(key), type, value, del, &now);
    if (seen) *seen = now;
    return rc;
}

void *search(const std::string &key, int type) { return SearchKey(key.data(), len(key), type); }

class Keys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InitTamrix());
        g_deleted.clear();
        g_token_calls = 0;
    }
    void TearDown() override { FreeTamrix(); }
};

// --- types and keys -----------------------------------------------------------

TEST_F(Keys, ReservedTypesAreRefusedByEveryExport) {
    for (int type : {-255, -1, 0, 1, 13, 14, 16, 255}) {
        SCOPED_TRACE(type);
        void *now = tag(7);
        EXPECT_EQ(InsertKey("k", 1, type, tag(1), delete_a, &now), 3);
        EXPECT_EQ(now, tag(7));
        EXPECT_EQ(SearchKey("k", 1, type), nullptr);
        g_token_calls = 0;
        EXPECT_EQ(LockKeyType(type, delete_a, token_a), 1);
        EXPECT_EQ(g_token_calls, 1);
        EXPECT_EQ(LockKeyType(type, nullptr, token_a), 1);
    }
    // The kernel's own entries stay out of reach, whatever the caller tries.
    const char16_t name[] = u"SetRealStackMax";
    int bytes = int(sizeof name - sizeof(char16_t));
    EXPECT_EQ(SearchKey(name, bytes, 5), nullptr);
    tmx::TreeKey k{reinterpret_cast<const char *>(name), size_t(bytes)};
    ASSERT_NE(tmx::name_tree().find(k, 5), nullptr);
    DeleteKey(name, bytes, 5);
    DeletePrivateKey(name, bytes, 5, nullptr);
    EXPECT_NE(tmx::name_tree().find(k, 5), nullptr);
    EXPECT_TRUE(g_deleted.empty());
}

TEST_F(Keys, TheFirstPublicAndPrivateTypesAreAccepted) {
    EXPECT_EQ(insert("k", 256, tag(1), delete_a), 0);
    EXPECT_EQ(insert("k", -256, tag(2), delete_a), 0);
    EXPECT_EQ(search("k", 256), tag(1));
    EXPECT_EQ(search("k", -256), tag(2));
    EXPECT_EQ(search("k", 257), nullptr);
}

TEST_F(Keys, KeysAreExactByteStrings) {
    const std::string with_zero("a\0b", 3);
    EXPECT_EQ(insert("ab", 300, tag(1), nullptr), 0);
    EXPECT_EQ(insert("abc", 300, tag(2), nullptr), 0);
    EXPECT_EQ(insert(with_zero, 300, tag(3), nullptr), 0);
    EXPECT_EQ(search("a", 300), nullptr);
    EXPECT_EQ(search("ab", 300), tag(1));
    EXPECT_EQ(search("abc", 300), tag(2));
    EXPECT_EQ(search(with_zero, 300), tag(3));
    EXPECT_EQ(search("ab", 301), nullptr);
    // Wide names are their UTF-16 bytes.
    const char16_t wide[] = u"TmMessage";
    EXPECT_EQ(InsertKey(wide, 18, 256, tag(4), nullptr, nullptr), 0);
    EXPECT_EQ(SearchKey(wide, 18, 256), tag(4));
    EXPECT_EQ(SearchKey("TmMessage", 9, 256), nullptr);
}

TEST_F(Keys, BadKeysAreRefusedWithoutBeingRead) {
    // A pointer that must never be dereferenced.
    const void *poison = reinterpret_cast<const void *>(uintptr_t(0x10));
    void *now = nullptr;
    EXPECT_EQ(InsertKey(nullptr, 5, 300, tag(1), delete_a, &now), 6);
    EXPECT_EQ(InsertKey(poison, 0, 300, tag(1), delete_a, &now), 6);
    EXPECT_EQ(InsertKey(poison, -4, 300, tag(1), delete_a, &now), 6);
    EXPECT_EQ(InsertKey(poison, INT32_MIN, 300, tag(1), delete_a, &now), 6);
    EXPECT_EQ(SearchKey(nullptr, 5, 300), nullptr);
    EXPECT_EQ(SearchKey(poison, 0, 300), nullptr);
    EXPECT_EQ(SearchKey(poison, -1, 300), nullptr);
    DeleteKey(nullptr, 5, 300);
    DeleteKey(poison, -1, 300);
    DeletePrivateKey(nullptr, 5, -300, delete_a);
    DeletePrivateKey(poison, 0, -300, delete_a);
    EXPECT_EQ(now, nullptr);
    EXPECT_TRUE(g_deleted.empty());
}

// --- insertion and replacement ----------------------------------------------

TEST_F(Keys, InsertingTwiceKeepsOrReplaces) {
    EXPECT_EQ(insert("svc", 256, tag(1), delete_a), 0);
    void *seen = nullptr;
    EXPECT_EQ(insert("svc", 256, tag(2), delete_b, nullptr, &seen), 1);
    EXPECT_EQ(seen, tag(1));
    EXPECT_EQ(search("svc", 256), tag(1));
    // No nowKey at all: kept, nothing written.
    EXPECT_EQ(InsertKey("svc", 3, 256, tag(2), delete_b, nullptr), 1);
    EXPECT_TRUE(g_deleted.empty());

    EXPECT_EQ(insert("svc", 256, tag(3), delete_b, tag(99), &seen), 2);
    EXPECT_EQ(seen, tag(99));
    EXPECT_EQ(g_deleted, (std::vector<DeleteCall>{{1, tag(1)}}));
    EXPECT_EQ(search("svc", 256), tag(3));
    // The replacement's delete function is the one called from now on.
    DeleteKey("svc", 3, 256);
    EXPECT_EQ(g_deleted, (std::vector<DeleteCall>{{1, tag(1)}, {2, tag(3)}}));
    EXPECT_EQ(search("svc", 256), nullptr);
}

TEST_F(Keys, ReplacingAKeyWithoutDeleteFunctionCallsNothing) {
    EXPECT_EQ(insert("k", 256, tag(1), nullptr), 0);
    EXPECT_EQ(insert("k", 256, tag(2), delete_a, tag(1)), 2);
    EXPECT_TRUE(g_deleted.empty());
    EXPECT_EQ(search("k", 256), tag(2));
}

TEST_F(Keys, PrivateKeysBelongToTheirDeleteFunction) {
    EXPECT_EQ(insert("obj", -300, tag(1), delete_a), 0);
    void *seen = nullptr;
    // Another owner may not replace it, and learns the value it met.
    EXPECT_EQ(insert("obj", -300, tag(2), delete_b, tag(99), &seen), 1);
    EXPECT_EQ(seen, tag(1));
    EXPECT_EQ(search("obj", -300), tag(1));
    // Neither DeleteKey nor another owner's DeletePrivateKey removes it.
    DeleteKey("obj", 3, -300);
    DeletePrivateKey("obj", 3, -300, delete_b);
    DeletePrivateKey("obj", 3, -300, nullptr);
    EXPECT_EQ(search("obj", -300), tag(1));
    EXPECT_TRUE(g_deleted.empty());
    // The owner replaces and deletes it.
    EXPECT_EQ(insert("obj", -300, tag(3), delete_a, tag(99)), 2);
    DeletePrivateKey("obj", 3, -300, delete_a);
    EXPECT_EQ(g_deleted, (std::vector<DeleteCall>{{1, tag(1)}, {1, tag(3)}}));
    EXPECT_EQ(search("obj", -300), nullptr);
}

TEST_F(Keys, DeleteExportsKeepToTheirSideOfTheTypes) {
    EXPECT_EQ(insert("k", 256, tag(1), delete_a), 0);
    EXPECT_EQ(insert("k", -256, tag(2), delete_a), 0);
    DeletePrivateKey("k", 1, 256, delete_a);
    DeleteKey("k", 1, -256);
    EXPECT_EQ(search("k", 256), tag(1));
    EXPECT_EQ(search("k", -256), tag(2));
    // Public keys: anyone; a missing key: nothing.
    DeleteKey("k", 1, 256);
    DeleteKey("k", 1, 256);
    DeleteKey("absent", 6, 256);
    EXPECT_EQ(g_deleted, (std::vector<DeleteCall>{{1, tag(1)}}));
    // A private key filed without delete function is removed by a null one.
    EXPECT_EQ(insert("n", -256, tag(3), nullptr), 0);
    DeletePrivateKey("n", 1, -256, delete_a);
    EXPECT_EQ(search("n", -256), tag(3));
    DeletePrivateKey("n", 1, -256, nullptr);
    EXPECT_EQ(search("n", -256), nullptr);
}

TEST_F(Keys, RemovalPrunesTheTree) {
    size_t before = tmx::name_tree().node_count();
    EXPECT_EQ(insert("prune", 256, tag(1), nullptr), 0);
    EXPECT_EQ(insert("prune", -256, tag(2), nullptr), 0);
    EXPECT_EQ(tmx::name_tree().node_count(), before + 1);
    DeleteKey("prune", 5, 256);
    EXPECT_EQ(tmx::name_tree().node_count(), before + 1);
    DeletePrivateKey("prune", 5, -256, nullptr);
    EXPECT_EQ(tmx::name_tree().node_count(), before);
}

// --- type locks ---------------------------------------------------------------

TEST_F(Keys, ALockedTypeTakesKeysOnlyFromItsOwner) {
    EXPECT_EQ(LockKeyType(-300, delete_a, token_a), 0);
    EXPECT_EQ(g_token_calls, 1);
    EXPECT_EQ(LockKeyType(-300, delete_a, token_a), 1);
    EXPECT_EQ(LockKeyType(-300, delete_b, token_b), 1);
    EXPECT_EQ(g_token_calls, 3);

    EXPECT_EQ(insert("x", -300, tag(1), delete_b), 4);
    EXPECT_EQ(insert("x", -300, tag(1), nullptr), 4);
    EXPECT_EQ(insert("x", -300, tag(1), delete_a), 0);
    EXPECT_EQ(insert("y", -300, tag(2), delete_a), 0);
    // Not even a replacement gets past the lock.
    EXPECT_EQ(insert("x", -300, tag(3), delete_b, tag(99)), 4);
    EXPECT_EQ(search("x", -300), tag(1));
    EXPECT_TRUE(g_deleted.empty());
    // The lock is the kernel's entry of type 13 under the type's 4 bytes.
    int32_t type = -300;
    EXPECT_NE(tmx::name_tree().find({reinterpret_cast<const char *>(&type), 4}, 13), nullptr);
    EXPECT_EQ(SearchKey(&type, 4, 13), nullptr);
}

TEST_F(Keys, LockingATypeThatHasKeysFails) {
    EXPECT_EQ(insert("x", 400, tag(1), delete_a), 0);
    EXPECT_EQ(LockKeyType(400, delete_a, token_a), 1);
    EXPECT_EQ(insert("y", 400, tag(2), delete_b), 0);
}

TEST_F(Keys, UnlockingNeedsTheTokenAndRemovesEveryKeyOfTheType) {
    EXPECT_EQ(LockKeyType(-300, delete_a, token_a), 0);
    EXPECT_EQ(insert("x", -300, tag(1), delete_a), 0);
    EXPECT_EQ(insert("y", -300, tag(2), delete_a), 0);
    EXPECT_EQ(insert("x", -301, tag(3), delete_a), 0);

    EXPECT_EQ(LockKeyType(-300, nullptr, token_b), 1);
    EXPECT_EQ(LockKeyType(-300, nullptr, nullptr), 1);
    EXPECT_EQ(search("x", -300), tag(1));
    EXPECT_TRUE(g_deleted.empty());

    g_token_calls = 0;
    EXPECT_EQ(LockKeyType(-300, nullptr, token_a), 0);
    EXPECT_EQ(g_token_calls, 1);
    EXPECT_EQ(g_deleted.size(), 2u);
    EXPECT_EQ(search("x", -300), nullptr);
    EXPECT_EQ(search("y", -300), nullptr);
    EXPECT_EQ(search("x", -301), tag(3));
    // Unlocked for good: any owner now, and unlocking again is a no-op.
    EXPECT_EQ(insert("z", -300, tag(4), delete_b), 0);
    EXPECT_EQ(LockKeyType(-300, nullptr, token_b), 0);
    EXPECT_EQ(search("z", -300), tag(4));
    EXPECT_EQ(LockKeyType(-302, nullptr, nullptr), 0);
}

TEST_F(Keys, LibrariesFindTheFirstFreePrivateType) {
    // Another library holds -356; someone filed a key of -357.
    EXPECT_EQ(LockKeyType(-356, delete_b, token_b), 0);
    EXPECT_EQ(insert("k", -357, tag(1), delete_b), 0);
    auto first_free = [](int from) {
        for (int type = from; type > -10000000; --type)
            if (LockKeyType(type, delete_a, token_a) == 0) return type;
        return 0;
    };
    int mine = first_free(-356);
    EXPECT_EQ(mine, -358);
    EXPECT_EQ(first_free(mine - 1), -359);
    EXPECT_EQ(insert("obj", mine, tag(2), delete_a), 0);
    EXPECT_EQ(insert("obj", -356, tag(2), delete_a), 4);
}

// --- enumeration ----------------------------------------------------------------

struct Visit {
    std::string key;
    int len;
    void *value;
    bool terminated;
};
std::vector<Visit> g_visits;
int g_stop_after = -1;

int TM_CALL record_visit(char *key, int len, void *value) {
    g_visits.push_back({std::string(key, size_t(len)), len, value, key[len] == 0});
    return int(g_visits.size()) != g_stop_after;
}

std::vector<std::string> visited_keys() {
    std::vector<std::string> keys;
    for (const Visit &v : g_visits) keys.push_back(v.key);
    return keys;
}

class Enumeration : public Keys {
protected:
    void SetUp() override {
        Keys::SetUp();
        g_visits.clear();
        g_stop_after = -1;
    }
    // Enumerates `type` with a buffer of `size` bytes.
    std::vector<std::string> walk(int type, int size = 64) {
        g_visits.clear();
        std::vector<char> buffer(size_t(size > 0 ? size : 1), 'X');
        EnumKeyTypeValue(type, buffer.data(), size, record_visit);
        return visited_keys();
    }
};

TEST_F(Enumeration, VisitsInBitwiseOrderShorterPrefixesFirst) {
    const std::string zero("\0", 1);
    for (const std::string &k : {std::string("b"), std::string("ab"), std::string("\x80"),
                                 std::string("a"), zero, std::string("abc")})
        EXPECT_EQ(insert(k, 500, tag(len(k)), nullptr), 0);
    EXPECT_EQ(insert("other", 501, tag(1), nullptr), 0);
    EXPECT_EQ(insert("a", 501, tag(1), nullptr), 0);
    EXPECT_EQ(walk(500), (std::vector<std::string>{zero, "a", "ab", "abc", "b", "\x80"}));
    for (const Visit &v : g_visits) {
        EXPECT_EQ(v.value, tag(v.len));
        EXPECT_TRUE(v.terminated);
    }
    EXPECT_TRUE(walk(502).empty());
}

TEST_F(Enumeration, ShortBuffersGetTheKeysFirstBytes) {
    EXPECT_EQ(insert("0123456789", -600, tag(1), nullptr), 0);
    EXPECT_EQ(insert("zz", -600, tag(2), nullptr), 0);
    EXPECT_EQ(walk(-600, 4), (std::vector<std::string>{"012", "zz"}));
    EXPECT_EQ(g_visits[0].len, 3);
    EXPECT_TRUE(g_visits[0].terminated);
    EXPECT_TRUE(g_visits[1].terminated);
    EXPECT_EQ(walk(-600, 1), (std::vector<std::string>{"", ""}));
}

TEST_F(Enumeration, BadArgumentsVisitNothing) {
    EXPECT_EQ(insert("k", 700, tag(1), nullptr), 0);
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EnumKeyTypeValue(700, buffer, 0, record_visit);
    EnumKeyTypeValue(700, buffer, -5, record_visit);
    EnumKeyTypeValue(700, nullptr, 8, record_visit);
    EXPECT_EQ(buffer[0], 'X');
    EnumKeyTypeValue(700, buffer, 8, nullptr);
    EXPECT_TRUE(g_visits.empty());
    // A reserved type clears the buffer and visits nothing.
    std::memset(buffer, 'X', sizeof buffer);
    EnumKeyTypeValue(5, buffer, 8, record_visit);
    EXPECT_TRUE(g_visits.empty());
    for (char c : buffer) EXPECT_EQ(c, 0);
}

TEST_F(Enumeration, AZeroResultStopsTheWalk) {
    for (const char *k : {"a", "b", "c"}) EXPECT_EQ(insert(k, 800, tag(1), nullptr), 0);
    g_stop_after = 2;
    EXPECT_EQ(walk(800), (std::vector<std::string>{"a", "b"}));
}

// A callback that deletes the key it is shown, deletes the key after it, and
// files one key before and one after the current position.
int TM_CALL meddling_visit(char *key, int len, void *value) {
    record_visit(key, len, value);
    std::string k(key, size_t(len));
    DeleteKey(k.data(), len, 900);
    if (k == "b") {
        DeleteKey("c", 1, 900);
        insert("a0", 900, tag(2), delete_a);
        insert("b0", 900, tag(2), delete_a);
    }
    return 1;
}

TEST_F(Enumeration, TheCallbackMayChangeTheTree) {
    for (const char *k : {"a", "b", "c", "d"}) EXPECT_EQ(insert(k, 900, tag(1), delete_a), 0);
    EnumKeyTypeValue(900, std::vector<char>(16).data(), 16, meddling_visit);
    // "c" went before its turn; "a0" sorts behind the walk, "b0" ahead of it.
    EXPECT_EQ(visited_keys(), (std::vector<std::string>{"a", "b", "b0", "d"}));
    EXPECT_EQ(search("a0", 900), tag(2));
    EXPECT_EQ(g_deleted.size(), 5u);
    EXPECT_EQ(walk(900), (std::vector<std::string>{"a0"}));
}

// --- re-entrant delete functions ------------------------------------------------

int g_reentries = 0;

// The owner of "self": on deletion it deletes itself again, deletes a
// neighbour, files a new key and refiles itself once.
void TM_CALL reentrant_delete(void *value) {
    g_deleted.push_back({3, value});
    ++g_reentries;
    DeleteKey("self", 4, 1000);
    DeleteKey("neighbour", 9, 1000);
    insert("new", 1000, tag(20), delete_a);
    if (g_reentries == 1) insert("self", 1000, tag(21), reentrant_delete);
}

TEST_F(Keys, ADeleteFunctionMayReenterTheRegistry) {
    g_reentries = 0;
    EXPECT_EQ(insert("self", 1000, tag(10), reentrant_delete), 0);
    EXPECT_EQ(insert("neighbour", 1000, tag(11), delete_a), 0);
    DeleteKey("self", 4, 1000);
    EXPECT_EQ(g_deleted, (std::vector<DeleteCall>{{3, tag(10)}, {1, tag(11)}}));
    EXPECT_EQ(search("self", 1000), tag(21));
    EXPECT_EQ(search("new", 1000), tag(20));
    EXPECT_EQ(search("neighbour", 1000), nullptr);
}

// Old owner of a replaced key: deletes the key (now holding the new value).
void TM_CALL delete_replaced(void *value) {
    g_deleted.push_back({4, value});
    DeleteKey("r", 1, 1000);
    insert("r", 1000, tag(50), delete_b);
}

TEST_F(Keys, ReplacementSurvivesAnOldDeleteFunctionThatDeletesTheKey) {
    EXPECT_EQ(insert("r", 1000, tag(1), delete_replaced), 0);
    EXPECT_EQ(insert("r", 1000, tag(2), delete_a, tag(99)), 2);
    // The old function saw its own value; the key already held the new one.
    EXPECT_EQ(g_deleted, (std::vector<DeleteCall>{{4, tag(1)}, {1, tag(2)}}));
    EXPECT_EQ(search("r", 1000), tag(50));
}

// Owner of a locked type that files more keys of the type while being unlocked.
void TM_CALL delete_and_refile(void *value) {
    g_deleted.push_back({5, value});
    if (value == tag(1)) insert("late", -1100, tag(2), delete_and_refile);
}

TEST_F(Keys, UnlockWhileDeleteFunctionsFileKeys) {
    EXPECT_EQ(LockKeyType(-1100, delete_and_refile, token_a), 0);
    EXPECT_EQ(insert("k", -1100, tag(1), delete_and_refile), 0);
    EXPECT_EQ(LockKeyType(-1100, nullptr, token_a), 0);
    // The key filed during the unlock lands in an unlocked type and stays.
    EXPECT_EQ(search("late", -1100), tag(2));
    EXPECT_EQ(insert("other", -1100, tag(3), delete_b), 0);
    DeletePrivateKey("late", 4, -1100, delete_and_refile);
    EXPECT_EQ(search("late", -1100), nullptr);
}

// --- shutdown -----------------------------------------------------------------

void TM_CALL delete_files_at_shutdown(void *value) {
    g_deleted.push_back({6, value});
    insert("filed during shutdown", 1200, tag(2), delete_a);
}

TEST(KeysShutdown, FreeTamrixCallsEveryDeleteFunctionOnce) {
    ASSERT_TRUE(InitTamrix());
    g_deleted.clear();
    EXPECT_EQ(insert("pub", 256, tag(1), delete_a), 0);
    EXPECT_EQ(insert("priv", -256, tag(2), delete_b), 0);
    EXPECT_EQ(LockKeyType(-1300, delete_a, token_a), 0);
    EXPECT_EQ(insert("locked", -1300, tag(3), delete_a), 0);
    EXPECT_EQ(insert("refiler", 1200, tag(4), delete_files_at_shutdown), 0);
    FreeTamrix();
    ASSERT_EQ(g_deleted.size(), 5u);
    for (DeleteCall expected : {DeleteCall{1, tag(1)}, DeleteCall{2, tag(2)},
                                DeleteCall{1, tag(3)}, DeleteCall{6, tag(4)},
                                DeleteCall{1, tag(2)}})
        EXPECT_EQ(std::count(g_deleted.begin(), g_deleted.end(), expected), 1);
    EXPECT_TRUE(tmx::name_tree().empty());
    // The lock went with the tree.
    ASSERT_TRUE(InitTamrix());
    EXPECT_EQ(insert("x", -1300, tag(1), delete_b), 0);
    FreeTamrix();
}

}  // namespace
