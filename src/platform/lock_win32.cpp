#include <windows.h>

#include "platform/lock.h"

namespace {
CRITICAL_SECTION g_registryLock;
bool g_registryLockReady = false;
}  // namespace

// Initialised once and never deleted: the process exit reclaims it.
void RegistryLockInit() {
    if (g_registryLockReady) return;
    InitializeCriticalSection(&g_registryLock);
    g_registryLockReady = true;
}
void RegistryLockEnter() { EnterCriticalSection(&g_registryLock); }
void RegistryLockLeave() { LeaveCriticalSection(&g_registryLock); }
