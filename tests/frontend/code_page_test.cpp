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

}  // namespace
