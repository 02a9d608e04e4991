// The key registry: the exports through which the host and the extension
// libraries use the name tree as a shared directory of services and objects.
//
// Key types -255..255 belong to the kernel and are refused here.  Types 256
// and above are public (anyone may delete them); -256 and below are private
// (only the owner, known by its delete function, may delete or replace them).
// A type lock (entry type 13, keyed by the 4 bytes of the locked type) lets
// one owner hold a whole type: only its delete function may file keys there.
//
// Every delete function and enumeration callback belongs to a library and may
// call straight back into the registry, even for the key being deleted.  So
// the tree is always left consistent before foreign code runs: entries are
// unlinked (or already hold their new value) when their delete function is
// called, and the enumeration continues from a copy of the last key, never
// from a position inside the tree.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "name_tree.h"
#include "tamrix/tamrix.h"

namespace tmx {

namespace {

enum InsertResult : int {
    kInserted = 0,
    kKept = 1,
    kReplaced = 2,
    kReservedType = 3,
    kLockedType = 4,
    kNoMemory = 5,
    kBadKey = 6,
};

enum LockResult : int { kLockOk = 0, kLockRefused = 1 };

constexpr int32_t kEntryTypeLock = 13;

bool reserved_type(int type) { return type > -256 && type < 256; }
bool public_type(int type) { return type >= 256; }
bool private_type(int type) { return type <= -256; }

// A caller's key: refused without reading anything when it has no bytes or
// no storage.
bool caller_key(const void *bytes, int len, TreeKey *out) {
    if (!bytes || len < 1) return false;
    *out = {static_cast<const char *>(bytes), size_t(len)};
    return true;
}

// --- type locks ---------------------------------------------------------------

struct TypeLock {
    TmKeyDelete owner;   // the only delete function accepted for the type
    TmUnlockToken token; // must be shown again to unlock
};

struct LockKey {
    char bytes[4];
    explicit LockKey(int32_t type) {
        auto bits = uint32_t(type);
        for (int i = 0; i < 4; ++i) bytes[i] = char(bits >> (8 * i) & 0xFF);
    }
    TreeKey key() const { return {bytes, 4}; }
};

void release_type_lock(void *data) { delete static_cast<TypeLock *>(data); }

TypeLock *find_type_lock(int32_t type) {
    TreeEntry *e = name_tree().find(LockKey(type).key(), kEntryTypeLock);
    return e ? static_cast<TypeLock *>(e->data) : nullptr;
}

bool type_has_keys(int32_t type) {
    return name_tree().next_of_type(type, TreeKey{}, true, nullptr) != nullptr;
}

int lock_type(int32_t type, TmKeyDelete owner, TmUnlockToken token) {
    if (find_type_lock(type) || type_has_keys(type)) return kLockRefused;
    auto *lock = new (std::nothrow) TypeLock{owner, token};
    if (!lock) return kLockRefused;
    if (name_tree().insert(LockKey(type).key(), kEntryTypeLock, lock, release_type_lock) !=
        NameTree::Insert::Added) {
        delete lock;
        return kLockRefused;
    }
    return kLockOk;
}

// The lock is taken out before the keys go: their delete functions may
// re-enter (lock the type again, file keys of it) and must find the type
// unlocked and empty, as it will stay.
int unlock_type(int32_t type, TmUnlockToken token) {
    TypeLock *lock = find_type_lock(type);
    if (!lock) return kLockOk;
    if (lock->token != token) return kLockRefused;
    TreeEntry *lock_entry = name_tree().unlink(LockKey(type).key(), kEntryTypeLock);
    name_tree().remove_type(type);
    release_entry(lock_entry);
    return kLockOk;
}

// --- insertion ----------------------------------------------------------------

// The entry takes its new value and delete function before the old delete
// function runs: that function may search, delete or refile this very key,
// and must find the tree as it will stay.
int replace_entry(TreeEntry *e, void *value, TmKeyDelete deleteFn) {
    void *old_value = e->data;
    EntryRelease old_delete = e->release;
    e->data = value;
    e->release = deleteFn;
    if (old_delete) old_delete(old_value);
    return kReplaced;
}

int insert_key(TreeKey key, int32_t type, void *value, TmKeyDelete deleteFn, void **nowKey) {
    if (const TypeLock *lock = find_type_lock(type); lock && lock->owner != deleteFn)
        return kLockedType;
    TreeEntry *existing = name_tree().find(key, type);
    if (!existing) {
        switch (name_tree().insert(key, type, value, deleteFn)) {
        case NameTree::Insert::Added: return kInserted;
        case NameTree::Insert::NoMemory: return kNoMemory;
        case NameTree::Insert::Exists: return kBadKey; // ruled out by the find above
        }
        return kBadKey;
    }
    bool replace_asked = nowKey && *nowKey;
    bool foreign_private = private_type(type) && existing->release != deleteFn;
    if (replace_asked && !foreign_private) return replace_entry(existing, value, deleteFn);
    if (nowKey) *nowKey = existing->data;
    return kKept;
}

// --- enumeration --------------------------------------------------------------

void enumerate_type(int32_t type, char *buffer, int bufferLen, TmKeyVisitor visit) {
    const size_t room = size_t(bufferLen) - 1;
    std::vector<char> last; // where the walk resumes: the tree may change under the callback
    bool first = true;
    for (;;) {
        TreeKey key;
        TreeEntry *e = name_tree().next_of_type(type, {last.data(), last.size()}, first, &key);
        if (!e) return;
        first = false;
        try {
            last.assign(key.data, key.data + key.size);
        } catch (...) {
            return; // cannot remember the position: stop rather than loop
        }
        size_t len = std::min(key.size, room);
        std::memcpy(buffer, key.data, len);
        buffer[len] = 0;
        if (!visit(buffer, int(len), e->data)) return;
    }
}

}  // namespace

}  // namespace tmx

extern "C" {

TM_API int TM_CALL InsertKey(const void *key, int byteLen, int keyType, void *value,
                             TmKeyDelete deleteFn, void **nowKey) {
    using namespace tmx;
    if (reserved_type(keyType)) return kReservedType;
    TreeKey k;
    if (!caller_key(key, byteLen, &k)) return kBadKey;
    return insert_key(k, keyType, value, deleteFn, nowKey);
}

TM_API void *TM_CALL SearchKey(const void *key, int byteLen, int keyType) {
    using namespace tmx;
    TreeKey k;
    if (reserved_type(keyType) || !caller_key(key, byteLen, &k)) return nullptr;
    TreeEntry *e = name_tree().find(k, keyType);
    return e ? e->data : nullptr;
}

TM_API void TM_CALL DeleteKey(const void *key, int byteLen, int keyType) {
    using namespace tmx;
    TreeKey k;
    if (!public_type(keyType) || !caller_key(key, byteLen, &k)) return;
    name_tree().remove(k, keyType);
}

TM_API void TM_CALL DeletePrivateKey(const void *key, int byteLen, int keyType,
                                     TmKeyDelete deleteFn) {
    using namespace tmx;
    TreeKey k;
    if (!private_type(keyType) || !caller_key(key, byteLen, &k)) return;
    TreeEntry *e = name_tree().find(k, keyType);
    if (!e || e->release != deleteFn) return;
    name_tree().remove(k, keyType);
}

TM_API void TM_CALL EnumKeyTypeValue(int keyType, char *buffer, int bufferLen,
                                     TmKeyVisitor visit) {
    using namespace tmx;
    if (!buffer || bufferLen < 1) return;
    std::memset(buffer, 0, size_t(bufferLen));
    if (reserved_type(keyType) || !visit) return;
    enumerate_type(keyType, buffer, bufferLen, visit);
}

TM_API int TM_CALL LockKeyType(int keyType, TmKeyDelete deleteFn, TmUnlockToken unlockToken) {
    using namespace tmx;
    if (unlockToken) unlockToken();
    if (reserved_type(keyType)) return kLockRefused;
    return deleteFn ? lock_type(keyType, deleteFn, unlockToken)
                    : unlock_type(keyType, unlockToken);
}

}  // extern "C"
