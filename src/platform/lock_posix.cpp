#include <mutex>

#include "platform/lock.h"

namespace {
std::mutex g_registryLock;
}

// A std::mutex needs no run-time initialisation; the call exists to keep start-up the same
// on every platform.
void RegistryLockInit() {}
void RegistryLockEnter() { g_registryLock.lock(); }
void RegistryLockLeave() { g_registryLock.unlock(); }
