// The message as the window's field would hold it: bytes in code page 932. Characters that
// the conversion or the code table leaves out are listed, so that the user can be told.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/options.h"

struct LeftOutCharacter {
    std::size_t position;  // 1-based, in characters of the input
    std::string shown;     // the character in UTF-8, for the user
    std::string code;      // "U+30A2", or "0x83 0x41" for code page 932 input
    enum class Why { NotUtf8, NotInCp932, NoMorseCode, OnlySecondByteSounds } why;
    std::string sounded;   // for OnlySecondByteSounds: what is sent instead, in UTF-8
};

struct MessageText {
    std::string cp932;
    std::vector<LeftOutCharacter> leftOut;
};

MessageText MessageTextFrom(const std::string& input, MessageEncoding encoding);
// One line per left-out character, at most `limit` of them, then a count of the rest.
std::string LeftOutReport(const std::vector<LeftOutCharacter>& leftOut, std::size_t limit);
