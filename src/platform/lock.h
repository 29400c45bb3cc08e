// The lock that guards the string registry: a critical section on Windows, a std::mutex
// elsewhere. On Windows the process has one more, the hold on interrupts (interrupt_hold.h), which
// a console control handler waits on while a file is committed.
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
