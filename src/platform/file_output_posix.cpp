#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/file_output.h"

namespace {

// The temporary file of the save in progress, for FileWriteAbandon: the folder it lies in and
// its name there. Both are set before `g_pending` and only while the interrupting signals are
// blocked, so a handler finds either no file or a complete name.
int g_pendingFolder = -1;
char g_pendingName[NAME_MAX + 1];
volatile sig_atomic_t g_pending = 0;

// Holds off SIGINT, SIGTERM and SIGHUP for the life of a scope: a handler that runs in between
// would see a temporary file that exists but is not recorded yet, or one recorded but renamed.
class InterruptsHeldOff {
  public:
    InterruptsHeldOff() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        ::sigprocmask(SIG_BLOCK, &held, &old_);
    }
    ~InterruptsHeldOff() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
    InterruptsHeldOff(const InterruptsHeldOff&) = delete;
    InterruptsHeldOff& operator=(const InterruptsHeldOff&) = delete;

  private:
    sigset_t old_{};
};

// The system calls of a save that can fail, each first asking whether a test wants it to.
bool Injected(FaultStep step) {
    int error = 0;
    if (!FaultFires(step, error)) return false;
    errno = error;
    return true;
}

ssize_t SystemWrite(int fd, std::span<const uint8_t> bytes, off_t offset) {
    if (Injected(FaultStep::Write)) return -1;
    int ignored = 0;
    if (bytes.size() > 1 && FaultFires(FaultStep::ShortWrite, ignored)) bytes = bytes.first(bytes.size() / 2);
    return offset < 0 ? ::write(fd, bytes.data(), bytes.size()) : ::pwrite(fd, bytes.data(), bytes.size(), offset);
}

int SystemFlush(int fd) { return Injected(FaultStep::Flush) ? -1 : ::fsync(fd); }

int SystemClose(int fd) {
    const int closed = ::close(fd);
    return Injected(FaultStep::Close) ? -1 : closed;
}

int SystemReplace(int folder, const char* from, const char* to) {
    return Injected(FaultStep::Replace) ? -1 : ::renameat(folder, from, folder, to);
}

// A descriptor closed at the end of its scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now, so that the caller learns whether the close failed (NFS reports late errors there).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return SystemClose(fd) == 0;
    }

  private:
    int fd_;
};

FileResult Failed(FileOutcome outcome, int error) { return {outcome, error}; }


// Writes every byte to `fd` from `offset` on (or at the current position for a stream),
// going on after short writes and interrupted calls. False with errno set on failure.
bool WriteAll(int fd, std::span<const uint8_t> bytes, off_t offset = -1) {
    while (!bytes.empty()) {
        const ssize_t written = SystemWrite(fd, bytes, offset);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        if (offset >= 0) offset += written;
    }
    return true;
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

// What the name leads to once symbolic links are followed. A link that names a file which does
// not exist yet leads to that name, as a shell's redirection does.
struct Target {
    std::string path;
    bool exists = false;
    struct stat info {};
};

bool Resolve(const char* path, Target& target, int& error) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                error = errno;
                return false;
            }
            target.path = current;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            target = {current, true, info};
            return true;
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), next.data(), next.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        next.resize(static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
    }
    error = ELOOP;
    return false;
}

// Attributes that a file made anew would not carry: anything but the security label, which a
// new file in the same folder receives from the system's policy in the same way.
bool HasExtendedAttributes(const std::string& path) {
    const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size <= 0) return false;
    std::string names(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::listxattr(path.c_str(), names.data(), names.size());
    if (got <= 0) return false;
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < names.size();) {
        const std::string_view name(names.c_str() + at);
        if (!name.empty() && name != "security.selinux") return true;
        at += name.size() + 1;
    }
    return false;
}

// A device, a pipe or a socket cannot be replaced by renaming: it is written where it is.
FileResult WriteInPlace(const std::string& path, std::span<const uint8_t> bytes) {
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return Failed(FileOutcome::OpenFailed, errno);
    if (!WriteAll(fd.get(), bytes)) return Failed(FileOutcome::WriteFailed, errno);
    if (!fd.Close()) return Failed(FileOutcome::WriteFailed, errno);
    return {};
}

// A file whose identity matters (other hard links to it, attributes a new file would lack) is
// overwritten in place. The new length is reserved first, so that a full disk is found before
// a byte of the old contents changes. Only the part past the old end is reserved: where the file
// system cannot reserve, the C library writes zeros there instead, and reading back the old
// blocks, which it would do for the rest, is what a file opened for writing only cannot.
FileResult RewriteInPlace(const Target& target, std::span<const uint8_t> bytes) {
    Descriptor fd(::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return Failed(FileOutcome::OpenFailed, errno);
    const auto size = static_cast<off_t>(bytes.size());
    if (size > target.info.st_size) {
        const int reserved = ::posix_fallocate(fd.get(), target.info.st_size, size - target.info.st_size);
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            return Failed(FileOutcome::WriteFailed, reserved);
        }
    }
    if (!WriteAll(fd.get(), bytes, 0) || ::ftruncate(fd.get(), size) != 0 || SystemFlush(fd.get()) != 0) {
        return Failed(FileOutcome::WriteFailed, errno);
    }
    if (!fd.Close()) return Failed(FileOutcome::WriteFailed, errno);
    return {};
}

// A name for the temporary file: hidden, beside the target and named after it when that fits
// the folder's limit on names, a short fixed stem otherwise. Six random letters follow.
std::string TemporaryName(int folder, const std::string& targetName, unsigned attempt) {
    long limit = ::fpathconf(folder, _PC_NAME_MAX);
    if (limit <= 0 || limit > NAME_MAX) limit = NAME_MAX;  // the name is kept in g_pendingName
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    uint64_t seed = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                    (static_cast<uint64_t>(::getpid()) << 16) ^ (uint64_t{attempt} * 0x9E3779B97F4A7C15u);
    std::string suffix(6, 'X');
    for (char& c : suffix) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        c = kLetters[seed % (sizeof kLetters - 1)];
    }
    const std::string full = "." + targetName + "." + suffix;
    if (full.size() <= static_cast<std::size_t>(limit)) return full;
    return ".velmora-" + suffix;
}

// Creates the temporary file in `folder` and records it for FileWriteAbandon.
int CreateTemporary(int folder, const std::string& targetName) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryName(folder, targetName, attempt);
        InterruptsHeldOff held;
        if (Injected(FaultStep::CreateTemporary)) return -1;
        const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            name.copy(g_pendingName, sizeof g_pendingName - 1);
            g_pendingName[name.size()] = '\0';
            g_pendingFolder = folder;
            g_pending = 1;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

void RemoveTemporary() {
    InterruptsHeldOff held;
    if (g_pending) ::unlinkat(g_pendingFolder, g_pendingName, 0);
    g_pending = 0;
}

// The new contents go to a temporary file in the target's folder, reach the disk, and take the
// target's name in one rename: the old file stays byte for byte as it was until then.
FileResult ReplaceThroughTemporary(const Target& target, std::span<const uint8_t> bytes) {
    const std::string name = NameOf(target.path);
    Descriptor folder(::open(FolderOf(target.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return Failed(FileOutcome::OpenFailed, errno);

    Descriptor temp(CreateTemporary(folder.get(), name));
    if (!temp.valid()) {
        const int error = errno;
        // A folder that takes no new entries may still hold a writable file of that name:
        // rewriting it where it is, its new length reserved first, is what the user asked for,
        // even without the safety net of the rename.
        if (target.exists && (error == EACCES || error == EPERM)) return RewriteInPlace(target, bytes);
        return Failed(FileOutcome::OpenFailed, error);
    }
    if (target.exists) {
        ::fchmod(temp.get(), target.info.st_mode & 07777);
        if (::fchown(temp.get(), target.info.st_uid, target.info.st_gid) != 0) { /* keep our own ownership */ }
    } else {
        ::fchmod(temp.get(), NewFileMode());
    }
    if (!WriteAll(temp.get(), bytes) || SystemFlush(temp.get()) != 0 || !temp.Close()) {
        const int error = errno;
        RemoveTemporary();
        return Failed(FileOutcome::WriteFailed, error);
    }
    {
        InterruptsHeldOff held;
        if (SystemReplace(folder.get(), g_pendingName, name.c_str()) != 0) {
            const int error = errno;
            ::unlinkat(folder.get(), g_pendingName, 0);
            g_pending = 0;
            return Failed(FileOutcome::OpenFailed, error);
        }
        g_pending = 0;
    }
    // The rename itself reaches the disk with the folder.
    ::fsync(folder.get());
    return {};
}

}  // namespace

FileResult FileWriteWhole(const char* path, std::span<const uint8_t> bytes) {
    if (path == nullptr || *path == '\0') return Failed(FileOutcome::OpenFailed, ENOENT);
    Target target;
    int error = 0;
    if (!Resolve(path, target, error)) return Failed(FileOutcome::OpenFailed, error);
    if (target.exists) {
        if (S_ISDIR(target.info.st_mode)) return Failed(FileOutcome::OpenFailed, EISDIR);
        if (!S_ISREG(target.info.st_mode)) return WriteInPlace(target.path, bytes);
        // A read-only or immutable file must not be replaced behind its back.
        if (::access(target.path.c_str(), W_OK) != 0) return Failed(FileOutcome::OpenFailed, errno);
        if (target.info.st_nlink > 1 || HasExtendedAttributes(target.path)) return RewriteInPlace(target, bytes);
    }
    return ReplaceThroughTemporary(target, bytes);
}

FileResult StandardOutputWriteWhole(std::span<const uint8_t> bytes) {
    if (!WriteAll(STDOUT_FILENO, bytes)) return Failed(FileOutcome::WriteFailed, errno);
    return {};
}

// Only async-signal-safe calls: unlinkat and plain loads and stores.
void FileWriteAbandon() {
    if (!g_pending) return;
    g_pending = 0;
    ::unlinkat(g_pendingFolder, g_pendingName, 0);
}

std::string SystemErrorText(int systemError) { return std::generic_category().message(systemError); }

namespace {

// Copies the finished temporary file over a target that must keep its identity, the new length
// reserved first, as RewriteInPlace does with bytes in memory: the interrupts are held off from
// the first write to the flush, so that the target is either the old file or the whole new one.
FileResult CopyOverInPlace(int from, const std::string& target, int64_t size) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return Failed(FileOutcome::OpenFailed, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return Failed(FileOutcome::OpenFailed, errno);
    if (size > info.st_size) {
        const int reserved = ::posix_fallocate(fd.get(), info.st_size, static_cast<off_t>(size - info.st_size));
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            return Failed(FileOutcome::WriteFailed, reserved);
        }
    }
    InterruptsHeldOff held;
    uint8_t chunk[64 * 1024];
    for (int64_t at = 0; at < size;) {
        const ssize_t got = ::pread(from, chunk, sizeof chunk, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return Failed(FileOutcome::WriteFailed, got < 0 ? errno : EIO);
        if (!WriteAll(fd.get(), {chunk, static_cast<std::size_t>(got)}, static_cast<off_t>(at))) {
            return Failed(FileOutcome::WriteFailed, errno);
        }
        at += got;
    }
    if (::ftruncate(fd.get(), static_cast<off_t>(size)) != 0 || SystemFlush(fd.get()) != 0 || !fd.Close()) {
        return Failed(FileOutcome::WriteFailed, errno);
    }
    return {};
}

}  // namespace

FileStream::~FileStream() {
    if (plan_ == Plan::Replace || plan_ == Plan::CopyInPlace) RemoveTemporary();
    if (fd_ >= 0 && !standardOutput_) ::close(fd_);
    if (folder_ >= 0) ::close(folder_);
}

FileResult FileStream::Open(const char* path) {
    if (path == nullptr || *path == '\0') return Failed(FileOutcome::OpenFailed, ENOENT);
    Target target;
    int error = 0;
    if (!Resolve(path, target, error)) return Failed(FileOutcome::OpenFailed, error);
    path_ = target.path;
    name_ = NameOf(target.path);
    if (target.exists) {
        if (S_ISDIR(target.info.st_mode)) return Failed(FileOutcome::OpenFailed, EISDIR);
        if (!S_ISREG(target.info.st_mode)) {
            fd_ = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
            if (fd_ < 0) return Failed(FileOutcome::OpenFailed, errno);
            plan_ = Plan::AsItComes;
            return {};
        }
        if (::access(path_.c_str(), W_OK) != 0) return Failed(FileOutcome::OpenFailed, errno);
    }
    folder_ = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) return Failed(FileOutcome::OpenFailed, errno);
    fd_ = CreateTemporary(folder_, name_);
    if (fd_ < 0) return Failed(FileOutcome::OpenFailed, errno);
    const bool keepsIdentity = target.exists && (target.info.st_nlink > 1 || HasExtendedAttributes(path_));
    plan_ = keepsIdentity ? Plan::CopyInPlace : Plan::Replace;
    if (target.exists) {
        ::fchmod(fd_, target.info.st_mode & 07777);
        if (::fchown(fd_, target.info.st_uid, target.info.st_gid) != 0) { /* keep our own ownership */ }
    } else {
        ::fchmod(fd_, NewFileMode());
    }
    return {};
}

void FileStream::OpenStandardOutput() {
    fd_ = STDOUT_FILENO;
    standardOutput_ = true;
    plan_ = Plan::AsItComes;
}

FileResult FileStream::Write(std::span<const uint8_t> bytes) {
    const off_t at = plan_ == Plan::AsItComes ? -1 : static_cast<off_t>(position_);
    if (!WriteAll(fd_, bytes, at)) return Failed(FileOutcome::WriteFailed, errno);
    position_ += static_cast<int64_t>(bytes.size());
    size_ = std::max(size_, position_);
    return {};
}

bool FileStream::Seek(int64_t position) {
    if (plan_ == Plan::AsItComes || position < 0) return false;
    position_ = position;
    return true;
}

FileResult FileStream::Commit() {
    if (plan_ == Plan::AsItComes) {
        if (standardOutput_) return {};
        return SystemClose(std::exchange(fd_, -1)) == 0 ? FileResult{} : Failed(FileOutcome::WriteFailed, errno);
    }
    if (SystemFlush(fd_) != 0) return Failed(FileOutcome::WriteFailed, errno);
    if (plan_ == Plan::CopyInPlace) {
        // The temporary file was made for writing only: it is read back through a name of its own.
        Descriptor written(::openat(folder_, g_pendingName, O_RDONLY | O_CLOEXEC | O_NOCTTY));
        if (!written.valid()) return Failed(FileOutcome::WriteFailed, errno);
        return CopyOverInPlace(written.get(), path_, size_);
    }
    const int fd = std::exchange(fd_, -1);
    if (SystemClose(fd) != 0) return Failed(FileOutcome::WriteFailed, errno);
    InterruptsHeldOff held;
    if (SystemReplace(folder_, g_pendingName, name_.c_str()) != 0) return Failed(FileOutcome::OpenFailed, errno);
    g_pending = 0;
    plan_ = Plan::None;
    ::fsync(folder_);  // the rename itself reaches the disk with the folder
    return {};
}
