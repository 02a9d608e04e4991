// The library's own map from handles to live object entries.  Every value a
// script passes is looked up here before anything is touched, so a forged,
// stale or deleted handle is never dereferenced.  It is kept in step with
// the key registry: an entry joins when its key was filed and leaves in the
// object release function, the one place an object ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace tmdata {

struct ObjectEntry {
    int kind;
    int typeId;
    void (*destroy)(void *payload);  // may be null
    void *payload;
    uint32_t handle;
};

class HandleTable {
public:
    // The live entry of a handle, or null.  A one-entry cache in front: a
    // loop works on the same object again and again.
    ObjectEntry *find(uint32_t handle) {
        if (handle == cachedHandle_ && handle != 0) return cachedEntry_;
        auto it = map_.find(handle);
        if (it == map_.end()) return nullptr;
        cachedHandle_ = handle;
        cachedEntry_ = it->second;
        return it->second;
    }

    // A handle no live object has: never 0, positive, and drawn from a
    // counter scrambled by an odd multiplier (a permutation of 2^31), so a
    // handle is not issued again soon after its object died and rarely
    // equals a small number a script passes by mistake.
    uint32_t issue() {
        for (;;) {
            counter_ = (counter_ + 1) & kMask;
            uint32_t h = uint32_t((uint64_t(counter_) * kMultiplier) & kMask);
            if (h != 0 && !map_.contains(h)) return h;
        }
    }

    // False when memory is exhausted.
    bool add(uint32_t handle, ObjectEntry *entry) noexcept {
        try {
            return map_.emplace(handle, entry).second;
        } catch (...) {
            return false;
        }
    }

    void remove(uint32_t handle) {
        map_.erase(handle);
        if (handle == cachedHandle_) forget_cache();
    }

    size_t size() const { return map_.size(); }
    void forget_cache() {
        cachedHandle_ = 0;
        cachedEntry_ = nullptr;
    }

private:
    static constexpr uint32_t kMask = 0x7FFFFFFF;
    static constexpr uint64_t kMultiplier = 0x5DEECE66Dull | 1;
    std::unordered_map<uint32_t, ObjectEntry *> map_;
    uint32_t counter_ = 0;
    uint32_t cachedHandle_ = 0;
    ObjectEntry *cachedEntry_ = nullptr;
};

}  // namespace tmdata
