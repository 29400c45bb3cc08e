#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/file_output.h"

namespace {

// Writes every byte to `fd`, going on after short writes and interrupted calls.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

// A device, a pipe or a socket cannot be replaced by renaming: it is written where it is.
FileOutcome WriteInPlace(const char* path, std::span<const uint8_t> bytes, int extraFlags) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC | O_NOCTTY | extraFlags, 0666);
    if (fd < 0) return FileOutcome::OpenFailed;
    const bool written = WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    return written && closed ? FileOutcome::Written : FileOutcome::WriteFailed;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

// A regular file is written to a temporary file beside it and then renamed over it, so that
// the old file stays byte for byte as it was unless every byte of the new one reached the disk.
// A symbolic link keeps pointing at the file it names: the real file is the one replaced.
FileOutcome FileWriteWhole(const char* path, std::span<const uint8_t> bytes) {
    if (path == nullptr || *path == '\0') return FileOutcome::OpenFailed;
    struct stat old {};
    const bool exists = ::stat(path, &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return FileOutcome::OpenFailed;
    if (exists && !S_ISREG(old.st_mode)) return WriteInPlace(path, bytes, O_TRUNC);

    std::string target = path;
    if (exists) {
        char resolved[PATH_MAX];
        if (::realpath(path, resolved) == nullptr) return FileOutcome::OpenFailed;
        target = resolved;
        // A read-only or immutable file must not be replaced behind its back.
        if (::access(target.c_str(), W_OK) != 0) return FileOutcome::OpenFailed;
    }

    std::string temp = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        // A folder that takes no new entries may still hold a writable file of that name:
        // writing it directly is what the user asked for, even without the safety net.
        if (exists) return WriteInPlace(target.c_str(), bytes, O_TRUNC);
        return FileOutcome::OpenFailed;
    }
    if (exists) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* keep our own ownership */ }
    } else {
        ::fchmod(fd, NewFileMode());
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temp.c_str());
        return FileOutcome::WriteFailed;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return FileOutcome::OpenFailed;
    }
    return FileOutcome::Written;
}

FileOutcome StandardOutputWriteWhole(std::span<const uint8_t> bytes) {
    return WriteAll(STDOUT_FILENO, bytes) ? FileOutcome::Written : FileOutcome::WriteFailed;
}
