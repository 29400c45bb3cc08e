#include <signal.h>
#include <unistd.h>

#include "cli/interrupts.h"
#include "platform/file_output.h"
#include "platform/interrupt_hold.h"

namespace {

// Only async-signal-safe calls; the notice is never changed while this can run.
extern "C" void EndOnInterrupt(int signal) {
    FileWriteAbandon();
    const std::string_view notice = InterruptNotice();
    if (!notice.empty()) {
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, notice.data(), notice.size());
    }
    ::_exit(128 + signal);
}

// A reader that goes away ends the program by SIGPIPE, as it ends every other program in a
// pipeline; the temporary files of a save in progress (the labels staged while the audio goes to
// a pipe) go first. The handler was reset to the default on entry, so the signal ends the program.
extern "C" void EndOnBrokenPipe(int signal) {
    FileWriteAbandon();
    if (::raise(signal) != 0) ::_exit(128 + signal);
}

// SIGPIPE ends the program through EndOnBrokenPipe, unless the program was started with it ignored.
void EndOnBrokenPipeAfterCleaning() {
    struct sigaction old {};
    ::sigaction(SIGPIPE, nullptr, &old);
    if (old.sa_handler == SIG_IGN) return;
    struct sigaction handler {};
    handler.sa_handler = EndOnBrokenPipe;
    handler.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);  // the flags are an int; the bits unsigned
    sigemptyset(&handler.sa_mask);
    ::sigaction(SIGPIPE, &handler, nullptr);
}

}  // namespace

// A file that would pass the limit on a file's size (ulimit -f) fails its write with EFBIG, a
// failed file like a full disk, instead of ending the program by SIGXFSZ with its temporary file
// left half-written.
void EndOnInterrupts() {
    (void)::signal(SIGXFSZ, SIG_IGN);  // cannot fail for a valid signal
    EndOnBrokenPipeAfterCleaning();
    // SIGQUIT is Ctrl+\ at a terminal; SIGXCPU comes at a soft limit on processor time (ulimit -S -t);
    // SIGALRM, SIGUSR1 and SIGUSR2 end a program that does not handle them, so they are ends too.
    for (const int signal : kInterruptSignals) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = EndOnInterrupt;
        sigemptyset(&handler.sa_mask);
        for (const int other : kInterruptSignals) sigaddset(&handler.sa_mask, other);  // one handler at a time
        ::sigaction(signal, &handler, nullptr);
    }
}
