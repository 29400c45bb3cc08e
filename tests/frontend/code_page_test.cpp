#include "frontend/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// A character sounds as the code page 932 bytes that stand for it, never as a near one: the
// yen sign is not the backslash, the wave dash not the full-width tilde. Linux and Windows agree.
TEST(Cp932FromUtf8Character, OnlyCharactersThatComeBackAsTheyWent) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\\", "\\"},          {"~", "~"},
        {"ア", "\x83\x41"},    {"ｱ", "\xB1"},
        {"～", "\x81\x60"},    {"〜", std::nullopt},  // U+FF5E has 0x8160; U+301C has nothing
        {"¥", std::nullopt},   {"‾", std::nullopt},   // 0x5C and 0x7E are the backslash and tilde
        {"é", std::nullopt},   {"漢", "\x8A\xBF"},
    };
    for (const auto& [character, bytes] : cases) EXPECT_EQ(Cp932FromUtf8Character(character), bytes) << character;
}

// A byte that forms no character, alone or with the next, reads as U+FFFD, and the byte after it
// starts afresh; never as the system's default character (Windows puts the katakana middle dot).
TEST(Utf8FromCp932, BytesThatFormNoCharacterAreTheReplacementCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {"\x81\x45", "・"},                          // the middle dot itself is a character
        {"\x85\x41", "\uFFFD" "A"},                 // a lead byte of no assigned pair, then A
        {"E\x81", "E\uFFFD"},                        // a lead byte at the end
        {"\x81\x7F\x83\x41", "\uFFFD\x7F" "ア"},     // 0x7F ends no pair
        {"\xB1\x83\x41\xEB\x40", "ｱア\uFFFD@"},     // row 0xEB is unassigned
    };
    for (const auto& [cp932, utf8] : cases) EXPECT_EQ(Utf8FromCp932(cp932), utf8) << utf8;
}

}  // namespace
