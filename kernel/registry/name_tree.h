// The name tree: every name the kernel knows, as a map from (key bytes, entry
// type) to an entry.
//
// A key is a byte string (wide names contribute their UTF-16 bytes, low byte
// first).  Each distinct key is one node holding a singly linked list of
// entries, newest first, with at most one entry per type.  Nodes exist only
// while they hold an entry: removing a node's last entry removes the node.
//
// Representation: an ordered map from the key bytes to the node's entry list.
// Walking it in order gives exactly the depth-first order of a bitwise trie
// over the keys (most significant bit first, 0 before 1, a key before every
// key it is a prefix of), i.e. unsigned byte-lexicographic order, which is
// what enumeration promises.  A map node per key instead of a trie node per
// key bit keeps megabyte keys cheap, and every operation is iterative.
//
// Re-entrancy: release routines belong to whoever filed the entry (formulas,
// external functions, library keys) and may call back into the tree.  Every
// removal therefore first takes the entries out of the tree, leaving it
// consistent, and only then calls their release routines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace tmx {

// Called with the entry's data when the entry is removed; may be null.
using EntryRelease = void (*)(void *data);

struct TreeEntry {
    int32_t type;
    void *data;
    EntryRelease release;
    TreeEntry *next; // next entry of the same key
};

// A key seen from outside the tree: bytes the caller owns.
struct TreeKey {
    const char *data = nullptr;
    size_t size = 0;

    constexpr TreeKey() = default;
    constexpr TreeKey(const char *bytes, size_t n) : data(bytes), size(n) {}

    bool starts_with(TreeKey prefix) const;
    TreeKey tail(size_t from) const { return {data + from, size - from}; }
};

// Unsigned byte-lexicographic order, shorter first on a common prefix: the
// order of a bitwise trie walked depth first.
int compare_keys(TreeKey a, TreeKey b);

// The key of a wide name: its UTF-16 code units as bytes, low byte first
// (the machine order here).
inline TreeKey wide_key(const char16_t *name, size_t len) {
    return {reinterpret_cast<const char *>(name), len * sizeof(char16_t)};
}
inline TreeKey wide_key(const std::vector<char16_t> &name) {
    return wide_key(name.data(), name.size());
}

// Characters before the terminating zero of a wide string.
inline size_t wide_length(const char16_t *s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

// Calls the entry's release routine and frees the entry.
void release_entry(TreeEntry *e);

class NameTree {
public:
    enum class Insert { Added, Exists, NoMemory };

    NameTree() = default;
    NameTree(const NameTree &) = delete;
    NameTree &operator=(const NameTree &) = delete;
    // Releases every entry left (release routines are called).
    ~NameTree();

    // The entry of that key and type, or null.
    TreeEntry *find(TreeKey key, int32_t type) const;

    // Files a new entry.  When one of that key and type exists, nothing
    // changes and Exists is returned; *entry (if given) receives the new or
    // the existing entry.  NoMemory leaves the tree as it was.
    Insert insert(TreeKey key, int32_t type, void *data, EntryRelease release,
                  TreeEntry **entry = nullptr);

    // Takes the entry of that key and type out of the tree without releasing
    // it; the caller owns it then (release_entry, or delete).  Null if absent.
    TreeEntry *unlink(TreeKey key, int32_t type);

    // unlink + release_entry.  False when there was no such entry.
    bool remove(TreeKey key, int32_t type);

    // Removes every entry of `type` whose key starts with `prefix` and whose
    // remaining bytes satisfy `accept` (null accepts all).  Returns the count.
    size_t remove_prefixed(int32_t type, TreeKey prefix, bool (*accept)(TreeKey rest));
    size_t remove_type(int32_t type) { return remove_prefixed(type, {}, nullptr); }

    // Enumeration in key order: the first entry of `type` whose key comes
    // after `after` (or at/after it when `inclusive`).  *key receives the key,
    // valid until the tree changes.  Safe against changes between calls: pass
    // a copy of the last key to continue.
    TreeEntry *next_of_type(int32_t type, TreeKey after, bool inclusive, TreeKey *key) const;

    // Releases every entry and node.  Entries filed by release routines while
    // this runs are released too.
    void clear();

    bool empty() const { return nodes_.empty(); }
    size_t node_count() const { return nodes_.size(); }

private:
    using StoredKey = std::vector<char>;
    struct KeyLess {
        using is_transparent = void;
        static TreeKey view(const StoredKey &k) { return {k.data(), k.size()}; }
        static TreeKey view(TreeKey k) { return k; }
        template <class A, class B> bool operator()(const A &a, const B &b) const {
            return compare_keys(view(a), view(b)) < 0;
        }
    };
    using Nodes = std::map<StoredKey, TreeEntry *, KeyLess>;
    static void release_chain(TreeEntry *chain);
    static void release_nodes(Nodes &nodes);

    Nodes nodes_;
};

// The kernel's name tree (never destroyed: teardown empties it).
NameTree &name_tree();
// Frees the (empty) tree object itself; the next name_tree() makes a new one.
void release_name_tree();

}  // namespace tmx
