#include <signal.h>

#include "platform/interrupt_hold.h"

namespace {
// The depth of the holds and the mask before the outermost: holds are taken on the main thread
// alone, and a signal handler takes none.
int g_depth = 0;
sigset_t g_before;
}  // namespace

void InterruptsHoldBegin() {
    if (g_depth++ > 0) return;
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kInterruptSignals) sigaddset(&held, signal);
    ::sigprocmask(SIG_BLOCK, &held, &g_before);
}

// A signal that came while held is delivered here, as the mask is restored.
void InterruptsHoldEnd() {
    if (--g_depth > 0) return;
    ::sigprocmask(SIG_SETMASK, &g_before, nullptr);
}
