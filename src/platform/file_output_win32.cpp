#include <windows.h>

#include <cstring>
#include <string>

#include "platform/file_output.h"

namespace {

HANDLE AsHandle(SystemFile file) { return reinterpret_cast<HANDLE>(file); }
SystemFile AsFile(HANDLE handle) { return reinterpret_cast<SystemFile>(handle); }

std::string NameOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string FolderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".\\") : path.substr(0, separator + 1);
}

// The file's identity: its volume and its index there.
void IdentityOf(HANDLE handle, Target& target, BY_HANDLE_FILE_INFORMATION& info) {
    if (!GetFileInformationByHandle(handle, &info)) info = {};
    target.volume = info.dwVolumeSerialNumber;
    target.file = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

// The path that links lead to, without the "\\?\" that the system puts in front when the rest is
// an ordinary path.
bool FinalPathOf(HANDLE handle, std::string& path) {
    char final[MAX_PATH + 8] = {};
    const DWORD n = GetFinalPathNameByHandleA(handle, final, sizeof final, FILE_NAME_NORMALIZED);
    if (n == 0) return false;
    if (n >= sizeof final) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    path = final;
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
        path = "\\\\" + path.substr(8);
    } else if (path.rfind("\\\\?\\", 0) == 0) {
        path = path.substr(4);
    }
    return true;
}

bool FullPathOf(const char* path, std::string& full) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
    if (n == 0) return false;
    if (n >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    full = buffer;
    return true;
}

// An existing target, opened for writing and shared with nobody: that tells a read-only file or
// one held open elsewhere before anything is made.
bool ResolveExisting(HANDLE handle, Target& target) {
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        target.kind = TargetKind::Device;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    IdentityOf(handle, target, info);
    target.kind = TargetKind::Regular;
    target.size = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    target.keepIdentity = info.nNumberOfLinks > 1;
    if (!FinalPathOf(handle, target.path)) return false;
    target.name = NameOf(target.path);
    return true;
}

// Nothing visible has the name. A new file is tried and let go at once: a folder that takes no
// new files says so here. A dangling link is seen only as a name that is taken; the file it
// names is then made, which is what a save through it does, and the link leads to it.
bool ResolveMissing(const std::string& full, Target& target) {
    target.kind = TargetKind::Missing;
    HANDLE probe = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) return CloseHandle(probe) != 0;
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
    HANDLE made = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE) return false;
    const bool found = ResolveExisting(made, target);
    CloseHandle(made);
    if (!found) return false;
    target.madeForLink = true;
    return true;
}

void FolderIdentity(const std::string& full, Target& target) {
    HANDLE folder = CreateFileA(FolderOf(full).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info{};
    IdentityOf(folder, target, info);
    CloseHandle(folder);
}

}  // namespace

bool SystemResolve(const char* path, Target& target) {
    target = {};
    if (!FullPathOf(path, target.path)) return false;
    target.name = NameOf(target.path);
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    HANDLE existing = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        return ResolveMissing(target.path, target);
    }
    const bool resolved = ResolveExisting(existing, target);
    const DWORD error = GetLastError();
    CloseHandle(existing);
    SetLastError(error);
    return resolved;
}

bool SystemResolveToCompare(const char* path, Target& target) {
    target = {};
    if (!FullPathOf(path, target.path)) return false;
    target.name = NameOf(target.path);
    HANDLE existing = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        FolderIdentity(target.path, target);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    IdentityOf(existing, target, info);
    target.kind = TargetKind::Regular;
    CloseHandle(existing);
    return true;
}

bool SystemResolveStandardStream(StandardStream stream, Target& target) {
    const HANDLE handle = GetStdHandle(stream == StandardStream::Input ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
    return SystemResolveOpenFile(AsFile(handle), target);
}

bool SystemResolveOpenFile(SystemFile file, Target& target) {
    target = {};
    const HANDLE handle = AsHandle(file);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    target.kind = TargetKind::Device;
    if (GetFileType(handle) != FILE_TYPE_DISK) return true;
    target.kind = TargetKind::Regular;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        IdentityOf(handle, target, info);
        return true;
    }
    // Wine answers only this for a handle made from a file its process inherited, with the
    // volume unknown (0).
    FILE_ID_INFO id{};
    if (!GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) return false;
    target.volume = id.VolumeSerialNumber;
    std::memcpy(&target.file, id.FileId.Identifier, sizeof target.file);
    return true;
}

bool SystemSameName(const std::string& first, const std::string& second) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, first.c_str(), -1, second.c_str(), -1) == CSTR_EQUAL;
}

bool SystemFolderOpen(const std::string& targetPath, SystemFolder& folder) {
    folder.handle = kNoFile;
    folder.path = FolderOf(targetPath);
    return true;
}

void SystemFolderClose(SystemFolder& folder) { folder = {}; }

// The whole path must stay within MAX_PATH, its zero included.
std::size_t SystemNameLimit(const SystemFolder& folder) {
    return folder.path.size() < MAX_PATH - 1 ? MAX_PATH - 1 - folder.path.size() : 0;
}

std::string SystemEntryName(const SystemFolder& folder, const std::string& name) { return folder.path + name; }

void SystemRemoveEntry(SystemFile, const char* entryName) { DeleteFileA(entryName); }

// Shared for deletion only, so that FileWriteAbandon can remove it while it is being written.
bool SystemCreateNew(const SystemFolder& folder, const std::string& name, SystemFile& file) {
    const HANDLE made = CreateFileA((folder.path + name).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    file = made == INVALID_HANDLE_VALUE ? kNoFile : AsFile(made);
    return made != INVALID_HANDLE_VALUE;
}

// ReplaceFileA carries the old file's attributes and security over; a new file takes the folder's.
void SystemGiveRights(SystemFile, const Target&) {}

// When ReplaceFileA fails half-way, after the old file has left the target's name
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT and _2), the new contents are moved there instead.
ReplaceResult SystemReplace(const SystemFolder& folder, const std::string& name, const Target& target) {
    const std::string temporary = folder.path + name;
    const bool exists = target.kind == TargetKind::Regular;
    if (exists ? ReplaceFileA(target.path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr) != 0
               : MoveFileExA(temporary.c_str(), target.path.c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
        return ReplaceResult::Replaced;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        return ReplaceResult::Failed;
    }
    if (MoveFileExA(temporary.c_str(), target.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ReplaceResult::Replaced;
    }
    SetLastError(error);
    return ReplaceResult::FailedTemporaryKept;
}

void SystemFolderFlush(const SystemFolder&) {}

bool SystemOpenExisting(const Target& target, SystemFile& file) {
    const HANDLE opened =
        CreateFileA(target.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    file = opened == INVALID_HANDLE_VALUE ? kNoFile : AsFile(opened);
    return opened != INVALID_HANDLE_VALUE;
}

bool SystemReserve(SystemFile file, int64_t oldSize, int64_t newSize) {
    if (newSize <= oldSize) return true;
    return SystemSetLength(file, newSize) && SetFilePointerEx(AsHandle(file), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
}

bool SystemSetLength(SystemFile file, int64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = size;
    return SetFilePointerEx(AsHandle(file), end, nullptr, FILE_BEGIN) && SetEndOfFile(AsHandle(file));
}

bool SystemSeek(SystemFile file, int64_t position) {
    LARGE_INTEGER at{};
    at.QuadPart = position;
    return SetFilePointerEx(AsHandle(file), at, nullptr, FILE_BEGIN) != 0;
}

bool SystemWrite(SystemFile file, const uint8_t* bytes, std::size_t size, std::size_t& written) {
    DWORD done = 0;
    const BOOL ok = WriteFile(AsHandle(file), bytes, static_cast<DWORD>(size), &done, nullptr);
    written = done;
    return ok != 0;
}

bool SystemFlush(SystemFile file) { return FlushFileBuffers(AsHandle(file)) != 0; }
bool SystemClose(SystemFile file) { return CloseHandle(AsHandle(file)) != 0; }

SystemFile SystemStandardOutput() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE) return AsFile(out);
    SetLastError(ERROR_INVALID_HANDLE);
    return kNoFile;
}

int SystemLastError() { return static_cast<int>(GetLastError()); }
void SystemSetLastError(int error) { SetLastError(static_cast<DWORD>(error)); }
bool SystemNameTaken(int error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }
bool SystemAccessDenied(int error) { return error == ERROR_ACCESS_DENIED; }
int SystemNoNameError() { return ERROR_PATH_NOT_FOUND; }
int SystemNothingWrittenError() { return ERROR_WRITE_FAULT; }

uint64_t SystemUniqueSeed() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 16);
}

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
