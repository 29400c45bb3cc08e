#include <windows.h>

#include <string>

#include "platform/fault_injection.h"
#include "platform/file_output.h"

namespace {

// The temporary file of the save in progress, for FileWriteAbandon, which a console control
// handler calls on a thread of its own. The lock spans the file's creation and its recording,
// and its renaming and forgetting, so that the handler never finds one without the other.
char g_pendingName[MAX_PATH];
bool g_pending = false;
SRWLOCK g_pendingLock = SRWLOCK_INIT;

class PendingLock {
  public:
    PendingLock() { AcquireSRWLockExclusive(&g_pendingLock); }
    ~PendingLock() { ReleaseSRWLockExclusive(&g_pendingLock); }
    PendingLock(const PendingLock&) = delete;
    PendingLock& operator=(const PendingLock&) = delete;
};

FileResult Failed(FileOutcome outcome, DWORD error) { return {outcome, static_cast<int>(error)}; }

// The system calls of a save that can fail, each first asking whether a test wants it to.
bool Injected(FaultStep step) {
    int error = 0;
    if (!FaultFires(step, error)) return false;
    SetLastError(static_cast<DWORD>(error));
    return true;
}

BOOL SystemWrite(HANDLE file, const uint8_t* bytes, DWORD size, DWORD* written) {
    if (Injected(FaultStep::Write)) return FALSE;
    int ignored = 0;
    if (size > 1 && FaultFires(FaultStep::ShortWrite, ignored)) size /= 2;
    return WriteFile(file, bytes, size, written, nullptr);
}

BOOL SystemFlush(HANDLE file) { return Injected(FaultStep::Flush) ? FALSE : FlushFileBuffers(file); }

BOOL SystemClose(HANDLE file) {
    const BOOL closed = CloseHandle(file);
    return Injected(FaultStep::Close) ? FALSE : closed;
}

// Writes every byte through `file`: one WriteFile for the whole image as a rule, more only
// if the system takes less than was given.
bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!SystemWrite(file, bytes.data(), chunk, &written)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

FileResult WriteAndClose(HANDLE file, std::span<const uint8_t> bytes) {
    const bool written = WriteAll(file, bytes);
    const DWORD error = GetLastError();
    const bool closed = SystemClose(file) != 0;
    if (!written) return Failed(FileOutcome::WriteFailed, error);
    if (!closed) return Failed(FileOutcome::WriteFailed, GetLastError());
    return {};
}

std::string FolderOf(const std::string& fullPath) {
    const auto separator = fullPath.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return fullPath.substr(0, separator + 1);
}

void RemoveTemporary() {
    PendingLock lock;
    if (g_pending) DeleteFileA(g_pendingName);
    g_pending = false;
}

// Makes and records the temporary file in `folder`; false with the system's error.
bool CreateTemporary(const std::string& folder) {
    PendingLock lock;
    g_pending = !Injected(FaultStep::CreateTemporary) && GetTempFileNameA(folder.c_str(), "vel", 0, g_pendingName) != 0;
    return g_pending;
}

// False with the system's error when the target is left as it was. When ReplaceFileA fails
// half-way, after the old file has left the target's name (ERROR_UNABLE_TO_MOVE_REPLACEMENT and
// _2), the new contents are moved there instead; if even that fails, the temporary file holds
// the only copy and stays: it is forgotten, so that nothing removes it.
bool ReplaceWithTemporary(const char* fullPath, bool exists) {
    PendingLock lock;
    if (Injected(FaultStep::Replace)) return false;
    constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    bool replaced = exists ? ReplaceFileA(fullPath, g_pendingName, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                          nullptr, nullptr) != 0
                           : MoveFileExA(g_pendingName, fullPath, MOVEFILE_WRITE_THROUGH) != 0;
    if (const DWORD error = GetLastError();
        !replaced && (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) {
        replaced = MoveFileExA(g_pendingName, fullPath, kMoveFlags) != 0;
        if (!replaced) {
            g_pending = false;
            SetLastError(error);
        }
    }
    if (replaced) g_pending = false;
    return replaced;
}

// A file that cannot be replaced through a temporary one (its folder takes no new entries) is
// rewritten where it is: first made as long as the new contents, so that a full disk is found
// before a byte of the old ones changes, then written, cut to length and flushed.
FileResult RewriteInPlace(const char* path, std::span<const uint8_t> bytes) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed(FileOutcome::OpenFailed, GetLastError());
    LARGE_INTEGER size{};
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(bytes.size());
    const bool reserved = GetFileSizeEx(file, &size) != 0 &&
                          (size.QuadPart >= end.QuadPart ||
                           (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) != 0 && SetEndOfFile(file) != 0));
    const bool written = reserved && SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0 &&
                         WriteAll(file, bytes) && SetEndOfFile(file) != 0 && SystemFlush(file) != 0;
    const DWORD error = GetLastError();
    const bool closed = SystemClose(file) != 0;
    if (!written) return Failed(FileOutcome::WriteFailed, error);
    if (!closed) return Failed(FileOutcome::WriteFailed, GetLastError());
    return {};
}

}  // namespace

// A file on disk is written to a temporary file in the same folder and moved over the target
// in one step, so the old file stays as it was unless every byte of the new one was written.
// ReplaceFileA keeps the old file's attributes and security; a new target is simply moved.
// Devices and pipes (NUL, a console, a named pipe) are written where they are.
FileResult FileWriteWhole(const char* path, std::span<const uint8_t> bytes) {
    if (path == nullptr || *path == '\0') return Failed(FileOutcome::OpenFailed, ERROR_PATH_NOT_FOUND);
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Failed(FileOutcome::OpenFailed, ERROR_ACCESS_DENIED);
    }

    // Opening the existing target for writing, shared with nobody, tells a read-only file or
    // one held open elsewhere before anything is created.
    HANDLE existing = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool exists = existing != INVALID_HANDLE_VALUE;
    if (existing != INVALID_HANDLE_VALUE) {
        if (GetFileType(existing) != FILE_TYPE_DISK) return WriteAndClose(existing, bytes);
        CloseHandle(existing);
    } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
        return Failed(FileOutcome::OpenFailed, error);
    }

    char fullPath[MAX_PATH] = {};
    const DWORD fullLength = GetFullPathNameA(path, MAX_PATH, fullPath, nullptr);
    if (fullLength == 0) return Failed(FileOutcome::OpenFailed, GetLastError());
    if (fullLength >= MAX_PATH) return Failed(FileOutcome::OpenFailed, ERROR_FILENAME_EXCED_RANGE);

    if (!CreateTemporary(FolderOf(fullPath))) {
        const DWORD error = GetLastError();
        // A folder that takes no new entries may still hold a writable file of that name:
        // rewriting it where it is is what the user asked for, even without the safety net.
        if (!exists || error != ERROR_ACCESS_DENIED) return Failed(FileOutcome::OpenFailed, error);
        return RewriteInPlace(fullPath, bytes);
    }

    // Shared for deletion only, so that FileWriteAbandon can remove it while it is being written.
    HANDLE file = CreateFileA(g_pendingName, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        RemoveTemporary();
        return Failed(FileOutcome::OpenFailed, error);
    }
    const bool written = WriteAll(file, bytes) && SystemFlush(file) != 0;
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    const bool closed = SystemClose(file) != 0;
    if (written && !closed) error = GetLastError();
    if (!written || !closed) {
        RemoveTemporary();
        return Failed(FileOutcome::WriteFailed, error);
    }
    if (!ReplaceWithTemporary(fullPath, exists)) {
        error = GetLastError();
        RemoveTemporary();  // unless it is the only copy left
        return Failed(FileOutcome::OpenFailed, error);
    }
    return {};
}

FileResult StandardOutputWriteWhole(std::span<const uint8_t> bytes) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return Failed(FileOutcome::OpenFailed, ERROR_INVALID_HANDLE);
    if (!WriteAll(out, bytes)) return Failed(FileOutcome::WriteFailed, GetLastError());
    return {};
}

void FileWriteAbandon() { RemoveTemporary(); }

// The system's own wording, in the user's language, without its closing line break.
std::string SystemErrorText(int systemError) {
    wchar_t* wide = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(systemError), 0, reinterpret_cast<wchar_t*>(&wide), 0,
                                   nullptr);
    std::string text;
    if (n > 0 && wide != nullptr) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), text.data(), bytes, nullptr, nullptr);
    }
    if (wide != nullptr) LocalFree(wide);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) text = "system error " + std::to_string(systemError);
    return text;
}
