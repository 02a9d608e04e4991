#include "workspace_lock.h"

namespace modlib {

namespace {

bool quitting(const volatile unsigned char *quit) { return quit && *quit != 0; }

}  // namespace

WorkspaceLock &workspace_lock() {
    // Destroyed when the library is unloaded: by then the host has shut the
    // library down, which waits until no thread holds or waits for the lock.
    static WorkspaceLock lock;
    return lock;
}

// Only the owner can release: a stray release from another thread is
// ignored instead of unlocking a mutex it does not hold.
int WorkspaceLock::release() {
    std::lock_guard<std::mutex> guard(guard_);
    if (owner_ != std::this_thread::get_id()) return 0;
    --users_;
    owner_ = std::thread::id{};
    kernel_.unlock();
    return 0;
}

int WorkspaceLock::try_acquire() {
    std::lock_guard<std::mutex> guard(guard_);
    if (users_ > 0) return 1;
    // A releasing thread may not have left the mutex yet.
    if (!kernel_.try_lock()) return 1;
    ++users_;
    owner_ = std::this_thread::get_id();
    return 0;
}

int WorkspaceLock::acquire() {
    {
        std::lock_guard<std::mutex> guard(guard_);
        if (owner_ == std::this_thread::get_id()) return 1;
        ++users_;
    }
    kernel_.lock();
    std::lock_guard<std::mutex> guard(guard_);
    owner_ = std::this_thread::get_id();
    return 0;
}

int WorkspaceLock::use(int code, const volatile unsigned char *quit) {
    switch (code) {
    case kUseRelease: return release();
    case kUseTry: return quitting(quit) ? -1 : try_acquire();
    case kUseWait: return quitting(quit) ? -1 : acquire();
    case kUseClearFlag:
    case kUseSetFlag: {
        std::lock_guard<std::mutex> guard(guard_);
        userFlag_ = code == kUseSetFlag ? 1 : 0;
        return 0;
    }
    case kUseReadFlag: {
        std::lock_guard<std::mutex> guard(guard_);
        return userFlag_;
    }
    default: return 0;
    }
}

void WorkspaceLock::wait_until_idle() {
    release();  // does nothing unless this thread holds the lock
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(guard_);
            if (users_ == 0) return;
        }
        // Someone holds or is about to take the lock: wait for a turn, then
        // look again.
        kernel_.lock();
        kernel_.unlock();
        std::this_thread::yield();
    }
}

void WorkspaceLock::reset_user_flag() {
    std::lock_guard<std::mutex> guard(guard_);
    userFlag_ = 0;
}

}  // namespace modlib
