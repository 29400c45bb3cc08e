#include <windows.h>

#include "platform/interrupt_hold.h"

namespace {
// A critical section, which its owning thread may enter again: holds nest. Made on first use
// and never deleted: the process exit reclaims it.
CRITICAL_SECTION& HoldLock() {
    static CRITICAL_SECTION* const lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return *lock;
}
}  // namespace

void InterruptsHoldBegin() { EnterCriticalSection(&HoldLock()); }
void InterruptsHoldEnd() { LeaveCriticalSection(&HoldLock()); }
