#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/file_output.h"

namespace {

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

// Where `path` leads through symbolic links, and what is there (`info` empty when nothing is).
bool Follow(const char* path, Target& target, struct stat& info) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) return false;
            target.path = current;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            target.path = current;
            target.kind = S_ISREG(info.st_mode) ? TargetKind::Regular : TargetKind::Device;
            return true;
        }
        // A link to a pipe, a socket or a device is opened as it is: what the links of /proc name
        // (/dev/stdout's "pipe:[…]") is no path to follow, and nothing there is replaced.
        struct stat end {};
        if (::stat(current.c_str(), &end) == 0 && !S_ISREG(end.st_mode) && !S_ISDIR(end.st_mode)) {
            info = end;
            target.path = current;
            target.kind = TargetKind::Device;
            return true;
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), next.data(), next.size());
        if (n < 0) return false;
        next.resize(static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

bool ResolveAny(const char* path, Target& target, struct stat& info) {
    target = {};
    info = {};
    if (!Follow(path, target, info)) return false;
    target.name = NameOf(target.path);
    if (target.kind == TargetKind::Missing && ::stat(FolderOf(target.path).c_str(), &info) != 0) info = {};
    target.volume = info.st_dev;
    target.file = info.st_ino;
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool SystemResolve(const char* path, Target& target) {
    struct stat info {};
    if (!ResolveAny(path, target, info)) return false;
    if (target.kind == TargetKind::Missing) return true;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (target.kind != TargetKind::Regular) return true;
    // A read-only or immutable file must not be replaced behind its back.
    if (::access(target.path.c_str(), W_OK) != 0) return false;
    target.size = info.st_size;
    target.keepIdentity = info.st_nlink > 1 || HasExtendedAttributes(target.path);
    return true;
}

bool SystemResolveToCompare(const char* path, Target& target) {
    struct stat info {};
    return ResolveAny(path, target, info);
}

bool SystemResolveOpenFile(SystemFile file, Target& target) {
    target = {};
    struct stat info {};
    if (::fstat(static_cast<int>(file), &info) != 0) return false;
    target.kind = S_ISREG(info.st_mode) ? TargetKind::Regular : TargetKind::Device;
    target.volume = info.st_dev;
    target.file = info.st_ino;
    return true;
}

bool SystemResolveStandardStream(StandardStream stream, Target& target) {
    return SystemResolveOpenFile(stream == StandardStream::Input ? STDIN_FILENO : STDOUT_FILENO, target);
}

bool SystemSameName(const std::string& first, const std::string& second) { return first == second; }

bool SystemFolderOpen(const std::string& targetPath, SystemFolder& folder) {
    folder.path = FolderOf(targetPath);
    folder.handle = ::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return folder.handle >= 0;
}

void SystemFolderClose(SystemFolder& folder) {
    if (folder.handle >= 0) ::close(static_cast<int>(folder.handle));
    folder = {};
}

std::size_t SystemNameLimit(const SystemFolder& folder) {
    const long limit = ::fpathconf(static_cast<int>(folder.handle), _PC_NAME_MAX);
    return limit <= 0 || limit > NAME_MAX ? NAME_MAX : static_cast<std::size_t>(limit);
}

std::string SystemEntryName(const SystemFolder&, const std::string& name) { return name; }

void SystemRemoveEntry(SystemFile folderHandle, const char* entryName) {
    ::unlinkat(folderHandle == kNoFile ? AT_FDCWD : static_cast<int>(folderHandle), entryName, 0);
}

bool SystemCreateNew(const SystemFolder& folder, const std::string& name, SystemFile& file) {
    file = ::openat(static_cast<int>(folder.handle), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                    0600);
    return file >= 0;
}

void SystemGiveRights(SystemFile file, const Target& target) {
    const int fd = static_cast<int>(file);
    struct stat info {};
    if (target.kind != TargetKind::Regular || ::stat(target.path.c_str(), &info) != 0) {
        ::fchmod(fd, NewFileMode());
        return;
    }
    ::fchmod(fd, info.st_mode & 07777);
    if (::fchown(fd, info.st_uid, info.st_gid) != 0) { /* keep our own ownership */ }
}

ReplaceResult SystemReplace(const SystemFolder& folder, const std::string& name, const Target& target) {
    const int fd = static_cast<int>(folder.handle);
    return ::renameat(fd, name.c_str(), fd, target.name.c_str()) == 0 ? ReplaceResult::Replaced
                                                                        : ReplaceResult::Failed;
}

void SystemFolderFlush(const SystemFolder& folder) { ::fsync(static_cast<int>(folder.handle)); }

bool SystemOpenExisting(const Target& target, SystemFile& file) {
    const int truncate = target.kind == TargetKind::Device ? O_TRUNC : 0;
    file = ::open(target.path.c_str(), O_WRONLY | truncate | O_CLOEXEC | O_NOCTTY);
    return file >= 0;
}

// Only the part past the old end is reserved: where the file system cannot reserve, the C
// library writes zeros there instead, and reading back the old blocks, which it would do for the
// rest, is what a file opened for writing only cannot.
bool SystemReserve(SystemFile file, int64_t oldSize, int64_t newSize) {
    if (newSize <= oldSize) return true;
    const int reserved = ::posix_fallocate(static_cast<int>(file), oldSize, newSize - oldSize);
    if (reserved == 0 || reserved == EOPNOTSUPP || reserved == EINVAL) return true;
    errno = reserved;
    return false;
}

bool SystemSetLength(SystemFile file, int64_t size) { return ::ftruncate(static_cast<int>(file), size) == 0; }

bool SystemSeek(SystemFile file, int64_t position) {
    return ::lseek(static_cast<int>(file), static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
}

bool SystemWrite(SystemFile file, const uint8_t* bytes, std::size_t size, std::size_t& written) {
    for (;;) {
        const ssize_t n = ::write(static_cast<int>(file), bytes, size);
        if (n < 0 && errno == EINTR) continue;
        written = n < 0 ? 0 : static_cast<std::size_t>(n);
        return n >= 0;
    }
}

bool SystemFlush(SystemFile file) { return ::fsync(static_cast<int>(file)) == 0; }
bool SystemClose(SystemFile file) { return ::close(static_cast<int>(file)) == 0; }
SystemFile SystemStandardOutput() { return STDOUT_FILENO; }

int SystemLastError() { return errno; }
void SystemSetLastError(int error) { errno = error; }
bool SystemNameTaken(int error) { return error == EEXIST; }
bool SystemAccessDenied(int error) { return error == EACCES || error == EPERM; }
int SystemNoNameError() { return ENOENT; }
int SystemNothingWrittenError() { return EIO; }

uint64_t SystemUniqueSeed() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
           (static_cast<uint64_t>(::getpid()) << 16);
}

std::string SystemErrorText(int systemError) { return std::generic_category().message(systemError); }
