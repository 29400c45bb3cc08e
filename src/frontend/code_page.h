// Conversions between UTF-8 (what front ends are given) and code page 932 (the program's).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"

// The code page 932 bytes (one or two) of one character given as UTF-8; none when code page
// 932 has no such character, also when it has only a near one.
std::optional<std::string> Cp932FromUtf8Character(std::string_view utf8Character);
// Text in code page 932 as UTF-8; bytes that form no character become U+FFFD.
std::string Utf8FromCp932(std::string_view cp932);
// A UTF-8 path as the platform's file calls take it; none when it cannot be expressed.
std::optional<std::string> PlatformPathFromUtf8(const std::string& utf8);
