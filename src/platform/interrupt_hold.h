// Holding off the interrupts that end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU,
// SIGALRM, SIGUSR1 and SIGUSR2; on Windows the console's control events) while files change in a
// way that cannot be undone half-way: a temporary file renamed over its target, a target
// rewritten in place, the record of the temporary files that an interrupt removes. An interrupt
// that comes meanwhile waits, and acts when the outermost hold ends.
//
// On POSIX systems the signals are blocked, and only the main thread holds them. On Windows a
// console control handler runs on a thread of its own: it calls InterruptsHoldBegin before it
// acts, and so waits on the lock that a hold takes (the process's second lock, beside the
// string registry's) until no hold is left.
#pragma once

#ifndef _WIN32
#include <signal.h>

// The signals a hold blocks on POSIX systems: those that end the program after its temporary
// files are removed (the command line's handlers take the same list).
inline constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2};
#endif

void InterruptsHoldBegin();
void InterruptsHoldEnd();

// Holds the interrupts for the life of a scope; holds nest.
class InterruptsHeld {
  public:
    InterruptsHeld() { InterruptsHoldBegin(); }
    ~InterruptsHeld() { InterruptsHoldEnd(); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};
