#include <windows.h>

#include <vector>

#include "frontend/code_page.h"

namespace {

constexpr UINT kProgramCodePage = 932;

std::wstring Wide(std::string_view text, UINT codePage, DWORD flags) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Wide text in `codePage`; none when a character has no exact form there (no best-fit guesses).
std::optional<std::string> Narrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return std::string();
    // The system's code page may itself be UTF-8, which takes neither flag nor default check.
    if (codePage == CP_ACP) codePage = GetACP();
    const bool exactOnly = codePage != CP_UTF8;
    BOOL usedDefault = FALSE;
    const DWORD flags = exactOnly ? WC_NO_BEST_FIT_CHARS : 0;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, exactOnly ? &usedDefault : nullptr);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), narrow.data(), n, nullptr,
                        nullptr);
    return narrow;
}

// Code page 932 read a character at a time: two bytes where they make one character, else one,
// and U+FFFD for a byte that is no character.
std::wstring WideEachCharacter(std::string_view cp932) {
    std::wstring wide;
    for (std::size_t at = 0; at < cp932.size();) {
        const std::wstring pair =
            at + 1 < cp932.size() ? Wide(cp932.substr(at, 2), kProgramCodePage, MB_ERR_INVALID_CHARS) : L"";
        if (pair.size() == 1) {
            wide += pair;
            at += 2;
            continue;
        }
        const std::wstring single = Wide(cp932.substr(at, 1), kProgramCodePage, MB_ERR_INVALID_CHARS);
        wide += single.empty() ? std::wstring(L"\uFFFD") : single;
        ++at;
    }
    return wide;
}

}  // namespace

std::optional<std::string> Cp932FromUtf8Character(std::string_view utf8Character) {
    if (utf8Character.size() == 1 && static_cast<unsigned char>(utf8Character[0]) < 0x80) {
        return std::string(utf8Character);
    }
    const std::wstring wide = Wide(utf8Character, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty()) return std::nullopt;
    return Narrow(wide, kProgramCodePage);
}

// Without MB_ERR_INVALID_CHARS the system puts its default character for code page 932, the
// katakana middle dot (U+30FB), where bytes form no character: a real character, which a report
// or label would show as if it had been typed. Such a byte is U+FFFD here instead, and the next
// byte starts afresh, as on the other systems (code_page.h).
std::string Utf8FromCp932(std::string_view cp932) {
    std::wstring wide = Wide(cp932, kProgramCodePage, MB_ERR_INVALID_CHARS);
    if (wide.empty()) wide = WideEachCharacter(cp932);  // some byte is no character: found one at a time
    return Narrow(wide, CP_UTF8).value_or(std::string());
}

// The ANSI file calls take the system's code page, which need not be 932.
std::optional<std::string> PlatformPathFromUtf8(const std::string& utf8) {
    const std::wstring wide = Wide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty() && !utf8.empty()) return std::nullopt;
    return Narrow(wide, CP_ACP);
}
