// Reading UTF-8 one character at a time, as the command line gives it, and writing it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The length of the well-formed UTF-8 character at the start of `rest`, with its code point in
// `c`; 0 when there is none. Overlong forms, surrogates and code points above U+10FFFF are not
// well-formed: the caller takes their bytes one by one.
std::size_t Utf8Decode(std::string_view rest, char32_t& c);
// The UTF-8 form of a code point up to U+10FFFF that is no surrogate.
std::string Utf8Encode(char32_t c);
