// The conversions on a system without code page 932 (WebAssembly, whose C library has only
// Shift_JIS, about 2,300 characters fewer): the built-in table.
#include "frontend/code_page.h"
#include "frontend/code_page_table.h"

std::optional<std::string> Cp932FromUtf8Character(std::string_view utf8Character) {
    return Cp932FromUtf8CharacterByTable(utf8Character);
}

std::string Utf8FromCp932(std::string_view cp932) { return Utf8FromCp932ByTable(cp932); }

// File names are bytes here too; UTF-8 is taken as it is.
std::optional<std::string> PlatformPathFromUtf8(const std::string& utf8) { return utf8; }
