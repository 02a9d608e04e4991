#include "key_types.h"

namespace extproto {

int lock_private_key_type(const KernelExports &kernel, TmKeyDelete deleteFn,
                          TmUnlockToken unlockToken, int first) {
    if (!kernel.LockKeyType || !deleteFn || !unlockToken) return 0;
    for (int type = first; type >= kLastLibraryKeyType; --type) {
        if (kernel.LockKeyType(type, deleteFn, unlockToken) == 0) return type;
    }
    return 0;
}

void unlock_private_key_type(const KernelExports &kernel, int keyType, TmUnlockToken unlockToken) {
    if (!kernel.LockKeyType || keyType == 0 || !unlockToken) return;
    kernel.LockKeyType(keyType, nullptr, unlockToken);
}

}  // namespace extproto
