// "UseTamrix": the workspace lock that serialises every use of the kernel
// between a host's threads.
//
// The kernel lock is a plain (non-recursive) mutex: a second acquisition by
// the owning thread is answered 1 before it could block, so the lock is
// never held twice.  A short guard mutex protects the bookkeeping and is
// never held while blocking on the kernel lock.
#pragma once

#include <mutex>
#include <thread>

namespace modlib {

enum UseCode : int {
    kUseRelease = 0,
    kUseTry = 1,
    kUseWait = 2,
    kUseClearFlag = 3,
    kUseSetFlag = 4,
    kUseReadFlag = 5,
};

class WorkspaceLock {
public:
    // quit: the host's quit byte, or null.  Results: codes 1 and 2 give 0
    // acquired, 1 busy (or already the owner), -1 the host is quitting; code
    // 5 the user flag; everything else 0.
    int use(int code, const volatile unsigned char *quit);

    // Blocks until no thread holds or waits for the kernel lock.  A hold of
    // the calling thread itself is released first (shutting down from inside
    // a bracket must not wait for itself).
    void wait_until_idle();

    // Back to the initial state once idle (a new start-up of the library).
    void reset_user_flag();

private:
    int release();
    int try_acquire();
    int acquire();

    std::mutex kernel_;
    std::mutex guard_;
    int users_ = 0;  // threads holding or waiting for the kernel lock
    std::thread::id owner_{};
    int userFlag_ = 0;
};

// The process-wide lock; it outlives every start and stop of the library,
// since a host thread may still call the service it looked up earlier.
WorkspaceLock &workspace_lock();

}  // namespace modlib
