// The one lock of the process: it guards the string registry. A critical section on
// Windows, a std::mutex elsewhere.
#pragma once

void RegistryLockInit();
void RegistryLockEnter();
void RegistryLockLeave();

// Holds the registry lock for the life of a scope.
class RegistryLockGuard {
  public:
    RegistryLockGuard() { RegistryLockEnter(); }
    ~RegistryLockGuard() { RegistryLockLeave(); }
    RegistryLockGuard(const RegistryLockGuard&) = delete;
    RegistryLockGuard& operator=(const RegistryLockGuard&) = delete;
};
