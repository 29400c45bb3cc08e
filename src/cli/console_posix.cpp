#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console.h"
#include "platform/file_output.h"

namespace {

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
    // The block read into lives on the heap: the program runs within a small stack too.
    std::vector<char> buffer(kReadBlock);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            read.systemError = errno;
            read.isFolder = errno == EISDIR;
            return read;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
    read.bytes = std::move(bytes);
    return read;
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
