#include "name_tree.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tmx {

namespace {

TreeEntry *find_in(TreeEntry *list, int32_t type) {
    for (; list; list = list->next)
        if (list->type == type) return list;
    return nullptr;
}

// Unlinks the entry of `type` from a node's list; null if there is none.
TreeEntry *take_from(TreeEntry **list, int32_t type) {
    for (TreeEntry **link = list; *link; link = &(*link)->next) {
        TreeEntry *e = *link;
        if (e->type != type) continue;
        *link = e->next;
        e->next = nullptr;
        return e;
    }
    return nullptr;
}

// Release routines may file new entries while a clear runs; after this many
// rounds whatever keeps appearing is dropped without its routine, so a
// routine that refiles itself cannot hang the kernel's shutdown.
constexpr int kMaxClearRounds = 64;

TreeKey view(const std::vector<char> &k) { return {k.data(), k.size()}; }

}  // namespace

bool TreeKey::starts_with(TreeKey prefix) const {
    return prefix.size <= size && (prefix.size == 0 || std::memcmp(data, prefix.data, prefix.size) == 0);
}

int compare_keys(TreeKey a, TreeKey b) {
    size_t common = std::min(a.size, b.size);
    if (common) {
        int c = std::memcmp(a.data, b.data, common);
        if (c) return c;
    }
    return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
}

void release_entry(TreeEntry *e) {
    if (!e) return;
    if (e->release) e->release(e->data);
    delete e;
}

NameTree::~NameTree() { clear(); }

TreeEntry *NameTree::find(TreeKey key, int32_t type) const {
    auto it = nodes_.find(key);
    return it == nodes_.end() ? nullptr : find_in(it->second, type);
}

NameTree::Insert NameTree::insert(TreeKey key, int32_t type, void *data, EntryRelease release,
                                  TreeEntry **entry) {
    auto it = nodes_.find(key);
    if (it != nodes_.end()) {
        if (TreeEntry *existing = find_in(it->second, type)) {
            if (entry) *entry = existing;
            return Insert::Exists;
        }
    }
    auto *e = new (std::nothrow) TreeEntry{type, data, release, nullptr};
    if (!e) return Insert::NoMemory;
    if (it == nodes_.end()) {
        // A failed node insertion leaves the map untouched.
        try {
            it = nodes_.emplace(StoredKey(key.data, key.data + key.size), nullptr).first;
        } catch (...) {
            delete e;
            return Insert::NoMemory;
        }
    }
    e->next = it->second;
    it->second = e;
    if (entry) *entry = e;
    return Insert::Added;
}

TreeEntry *NameTree::unlink(TreeKey key, int32_t type) {
    auto it = nodes_.find(key);
    if (it == nodes_.end()) return nullptr;
    TreeEntry *e = take_from(&it->second, type);
    if (!it->second) nodes_.erase(it);
    return e;
}

bool NameTree::remove(TreeKey key, int32_t type) {
    TreeEntry *e = unlink(key, type);
    if (!e) return false;
    release_entry(e);
    return true;
}

size_t NameTree::remove_prefixed(int32_t type, TreeKey prefix,
                                 bool (*accept)(TreeKey rest)) {
    TreeEntry *taken = nullptr;
    size_t count = 0;
    auto it = nodes_.lower_bound(prefix);
    while (it != nodes_.end() && view(it->first).starts_with(prefix)) {
        TreeKey rest = view(it->first).tail(prefix.size);
        if (!accept || accept(rest)) {
            if (TreeEntry *e = take_from(&it->second, type)) {
                e->next = taken;
                taken = e;
                ++count;
            }
        }
        if (it->second)
            ++it;
        else
            it = nodes_.erase(it);
    }
    release_chain(taken);
    return count;
}

TreeEntry *NameTree::next_of_type(int32_t type, TreeKey after, bool inclusive,
                                  TreeKey *key) const {
    auto it = inclusive ? nodes_.lower_bound(after) : nodes_.upper_bound(after);
    for (; it != nodes_.end(); ++it) {
        if (TreeEntry *e = find_in(it->second, type)) {
            if (key) *key = view(it->first);
            return e;
        }
    }
    return nullptr;
}

void NameTree::clear() {
    for (int round = 0; round < kMaxClearRounds && !nodes_.empty(); ++round) {
        Nodes detached;
        detached.swap(nodes_);
        release_nodes(detached);
    }
    for (auto &node : nodes_) {
        while (TreeEntry *e = node.second) {
            node.second = e->next;
            delete e;
        }
    }
    nodes_.clear();
}

void NameTree::release_chain(TreeEntry *chain) {
    while (chain) {
        TreeEntry *next = chain->next;
        release_entry(chain);
        chain = next;
    }
}

void NameTree::release_nodes(Nodes &nodes) {
    for (auto &node : nodes) {
        TreeEntry *chain = node.second;
        node.second = nullptr;
        release_chain(chain);
    }
    nodes.clear();
}

namespace {
// Not a static object: its destructor would call release routines of other
// libraries at process exit, when they may be gone.  FreeTamrix drops it
// instead (release_name_tree), so a freed kernel holds no memory.
NameTree *g_tree = nullptr;
}  // namespace

NameTree &name_tree() {
    if (!g_tree) g_tree = new NameTree;
    return *g_tree;
}

void release_name_tree() {
    if (!g_tree || !g_tree->empty()) return;
    delete g_tree;
    g_tree = nullptr;
}

}  // namespace tmx
