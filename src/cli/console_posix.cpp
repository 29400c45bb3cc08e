#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console.h"
#include "platform/file_output.h"
#include "platform/interrupt_hold.h"

namespace {

// A plain buffer, which lives as long as the process: a handler may read it at any time.
char g_interruptNotice[8192];
std::size_t g_interruptNoticeSize = 0;

bool WriteAll(int fd, std::string_view bytes, int* systemError) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (systemError != nullptr) *systemError = written < 0 ? errno : EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Read directly, so that an error (standard input a folder, say) is told apart from the end.
InputRead ReadAll(int fd) {
    InputRead read;
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            read.isFolder = true;
            read.systemError = EISDIR;
            return read;
        }
    }
    std::string bytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            read.systemError = errno;
            read.isFolder = errno == EISDIR;
            return read;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    read.bytes = std::move(bytes);
    return read;
}

// Only async-signal-safe calls; the notice is never changed while this can run.
extern "C" void EndOnInterrupt(int signal) {
    FileWriteAbandon();
    if (g_interruptNoticeSize > 0) {
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, g_interruptNotice, g_interruptNoticeSize);
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

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

bool ConsoleWrite(bool toStandardError, std::string_view utf8, int* systemError) {
    return WriteAll(toStandardError ? STDERR_FILENO : STDOUT_FILENO, utf8, systemError);
}

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }
bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

// Only a character device is opened to ask, and without becoming its controlling terminal or
// waiting for it.
bool PathIsTerminal(const std::string& utf8Path) {
    struct stat info {};
    if (::stat(utf8Path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const int fd = ::open(utf8Path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

InputRead ReadStandardInput() { return ReadAll(STDIN_FILENO); }

InputRead ReadInputFile(const std::string& utf8Path) {
    const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        InputRead failed;
        failed.systemError = errno;
        return failed;
    }
    const std::optional<OpenedFile> opened = OpenedFileOf(fd);
    InputRead read = ReadAll(fd);
    read.opened = opened;
    ::close(fd);
    return read;
}

// A file that would pass the limit on a file's size (ulimit -f) fails its write with EFBIG, a
// failed file like a full disk, instead of ending the program by SIGXFSZ with its temporary file
// left half-written.
void ConsoleEndOnInterrupt() {
    (void)::signal(SIGXFSZ, SIG_IGN);  // cannot fail for a valid signal
    EndOnBrokenPipeAfterCleaning();
    // SIGQUIT is Ctrl+\ at a terminal; SIGXCPU comes at a soft limit on processor time (ulimit -S -t).
    constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU};
    for (const int signal : kInterrupts) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = EndOnInterrupt;
        sigemptyset(&handler.sa_mask);
        for (const int other : kInterrupts) sigaddset(&handler.sa_mask, other);  // one handler at a time
        ::sigaction(signal, &handler, nullptr);
    }
}

void ConsoleSetInterruptNotice(std::string_view notice) {
    const InterruptsHeld held;
    g_interruptNoticeSize = notice.copy(g_interruptNotice, sizeof g_interruptNotice);
}
