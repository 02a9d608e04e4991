// A private key type of the library's own: a whole type that only this
// library may file keys under, removed at once when it is unlocked.
#pragma once

#include "kernel_binding.h"

namespace extproto {

// Types below the services' -256 are tried from here downward; the first
// hundred are left to the hosts (the error and help texts take -257, -258).
inline constexpr int kFirstLibraryKeyType = -356;
inline constexpr int kLastLibraryKeyType = -9999999;

// Locks the first free type (from `first` downward) for deleteFn (every key
// of the type must carry it) and the unlock token; returns the type, or 0
// when none is free.
int lock_private_key_type(const KernelExports &kernel, TmKeyDelete deleteFn,
                          TmUnlockToken unlockToken, int first = kFirstLibraryKeyType);

// Unlocks it again, which removes (and deletes) every key of the type.
void unlock_private_key_type(const KernelExports &kernel, int keyType, TmUnlockToken unlockToken);

}  // namespace extproto
