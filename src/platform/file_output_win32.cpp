#include <windows.h>

#include <string>

#include "platform/file_output.h"

namespace {

// Writes every byte through `file`: one WriteFile for the whole image as a rule, more only
// if the system takes less than was given.
bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

FileOutcome WriteAndClose(HANDLE file, std::span<const uint8_t> bytes) {
    const bool written = WriteAll(file, bytes);
    const bool closed = CloseHandle(file) != 0;
    return written && closed ? FileOutcome::Written : FileOutcome::WriteFailed;
}

std::string FolderOf(const std::string& fullPath) {
    const auto separator = fullPath.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return fullPath.substr(0, separator + 1);
}

}  // namespace

// A file on disk is written to a temporary file in the same folder and moved over the target
// in one step, so the old file stays as it was unless every byte of the new one was written.
// Devices and pipes (NUL, a console, a named pipe) are written where they are.
FileOutcome FileWriteWhole(const char* path, std::span<const uint8_t> bytes) {
    if (path == nullptr || *path == '\0') return FileOutcome::OpenFailed;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileOutcome::OpenFailed;
    }

    // Opening the existing target the way the program always has (for writing, shared with
    // nobody) tells a read-only file or one held open elsewhere before anything is created.
    HANDLE existing = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool exists = existing != INVALID_HANDLE_VALUE;
    if (exists) {
        if (GetFileType(existing) != FILE_TYPE_DISK) return WriteAndClose(existing, bytes);
        CloseHandle(existing);
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return FileOutcome::OpenFailed;
    }

    char fullPath[MAX_PATH] = {};
    const DWORD fullLength = GetFullPathNameA(path, MAX_PATH, fullPath, nullptr);
    if (fullLength == 0 || fullLength >= MAX_PATH) return FileOutcome::OpenFailed;
    char temp[MAX_PATH] = {};
    if (GetTempFileNameA(FolderOf(fullPath).c_str(), "vel", 0, temp) == 0) {
        // A folder that takes no new entries may still hold a writable file of that name:
        // writing it directly is what the user asked for, even without the safety net.
        if (!exists) return FileOutcome::OpenFailed;
        HANDLE direct = CreateFileA(fullPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (direct == INVALID_HANDLE_VALUE) return FileOutcome::OpenFailed;
        return WriteAndClose(direct, bytes);
    }

    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temp);
        return FileOutcome::OpenFailed;
    }
    const bool written = WriteAll(file, bytes) && FlushFileBuffers(file) != 0;
    const bool closed = CloseHandle(file) != 0;
    if (!written || !closed) {
        DeleteFileA(temp);
        return FileOutcome::WriteFailed;
    }
    if (!MoveFileExA(temp, fullPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp);
        return FileOutcome::OpenFailed;
    }
    return FileOutcome::Written;
}

FileOutcome StandardOutputWriteWhole(std::span<const uint8_t> bytes) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return FileOutcome::OpenFailed;
    return WriteAll(out, bytes) ? FileOutcome::Written : FileOutcome::WriteFailed;
}
