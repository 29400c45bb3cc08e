#include <windows.h>

#include <shellapi.h>

#include "cli/console.h"
#include "platform/file_output.h"

namespace {

std::string Utf8FromWide(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string utf8(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

bool Failed(int* systemError, DWORD error) {
    if (systemError != nullptr) *systemError = static_cast<int>(error);
    return false;
}

InputRead ReadAll(HANDLE input) {
    InputRead read;
    std::string bytes;
    LARGE_INTEGER size{};
    if (GetFileType(input) == FILE_TYPE_DISK && GetFileSizeEx(input, &size) && size.QuadPart > 0) {
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    // The block read into lives on the heap: the program runs within a small stack too.
    std::vector<char> buffer(kReadBlock);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE) break;  // the writer closed its end
            read.systemError = static_cast<int>(GetLastError());
            return read;
        }
        if (got == 0) break;
        bytes.append(buffer.data(), got);
    }
    read.bytes = std::move(bytes);
    return read;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

// A console shows wide text whatever its code page; a file or pipe gets the UTF-8 bytes.
bool ConsoleWrite(bool toStandardError, std::string_view utf8, int* systemError) {
    HANDLE handle = GetStdHandle(toStandardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (utf8.empty()) return true;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return Failed(systemError, ERROR_INVALID_HANDLE);
    if (IsConsole(handle)) {
        const std::wstring wide = WideFromUtf8(utf8);
        DWORD written = 0;
        if (!WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
            return Failed(systemError, GetLastError());
        }
        return true;
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr)) {
            return Failed(systemError, GetLastError());
        }
        if (written == 0) return Failed(systemError, ERROR_WRITE_FAULT);
        utf8.remove_prefix(written);
    }
    return true;
}

bool StandardOutputIsTerminal() { return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)); }
bool StandardInputIsTerminal() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

// The console is reached by name only as CON (which the system makes of con.wav and the like on
// Windows 10 and before, in any folder), CONOUT$ and CONIN$, each also as \\.\NAME.
namespace {
bool NamesConsole(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    for (const wchar_t* name : {L"CON", L"CONOUT$", L"CONIN$"}) {
        const std::wstring device = std::wstring(L"\\\\.\\") + name;
        if (lstrcmpiW(path.c_str(), name) == 0 || lstrcmpiW(path.c_str(), device.c_str()) == 0) return true;
        if (n > 0 && n < MAX_PATH && lstrcmpiW(full, device.c_str()) == 0) return true;
    }
    return false;
}
}  // namespace

// Only a name of the console is opened to ask: opening any other path could connect to a pipe,
// or wait on a device. A program without a console cannot open it (and its save fails as any
// other); a handle opened for writing alone carries no right to ask for the console's mode.
bool PathIsTerminal(const std::string& utf8Path) {
    const std::wstring path = WideFromUtf8(utf8Path);
    if (!NamesConsole(path)) return false;
    const HANDLE device = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    const bool terminal = GetFileType(device) == FILE_TYPE_CHAR;
    CloseHandle(device);
    return terminal;
}

InputRead ReadStandardInput() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        InputRead none;
        none.systemError = ERROR_INVALID_HANDLE;
        return none;
    }
    return ReadAll(input);
}

InputRead ReadInputFile(const std::string& utf8Path) {
    const std::wstring path = WideFromUtf8(utf8Path);
    InputRead read;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        read.isFolder = true;
        read.systemError = ERROR_DIRECTORY;
        return read;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        read.systemError = static_cast<int>(GetLastError());
        return read;
    }
    const std::optional<OpenedFile> opened = OpenedFileOf(reinterpret_cast<SystemFile>(file));
    read = ReadAll(file);
    read.opened = opened;
    CloseHandle(file);
    return read;
}
