// The built-in table (what the WebAssembly build converts with) against the C library's CP932,
// which it was made from: the same answer for every character and every byte pair.
#include "frontend/code_page_table.h"

#include <gtest/gtest.h>

#include "frontend/code_page.h"
#include "frontend/utf8.h"

namespace {

TEST(Cp932Table, EveryCodePointConvertsAsTheSystemConverts) {
    std::size_t mismatches = 0;
    std::size_t converted = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string utf8 = Utf8Encode(c);
        const auto bySystem = Cp932FromUtf8Character(utf8);
        converted += bySystem.has_value();
        if (Cp932FromUtf8CharacterByTable(utf8) != bySystem && ++mismatches <= 5) {
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(converted, 128u + 9269u);  // ASCII and every other character the C library has
}

TEST(Cp932Table, EveryByteAndBytePairReadsAsTheSystemReadsIt) {
    std::size_t mismatches = 0;
    for (unsigned first = 0; first < 256; ++first) {
        const std::string single(1, static_cast<char>(first));
        EXPECT_EQ(Utf8FromCp932ByTable(single), Utf8FromCp932(single)) << first;
        for (unsigned second = 0; second < 256; ++second) {
            const std::string pair{static_cast<char>(first), static_cast<char>(second)};
            if (Utf8FromCp932ByTable(pair) != Utf8FromCp932(pair) && ++mismatches <= 5) {
                ADD_FAILURE() << std::hex << first << " " << second;
            }
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

// Runs of bytes that are no character, a lead byte at the end, and pairs after a single byte.
TEST(Cp932Table, MixedRunsReadAsTheSystemReadsThem) {
    const std::string runs[] = {
        "\x82\xA0\x82",     "\xFF\xFE\x81\x40", "\xB1\x83\x41\x83", "\x81\x7F\x41",
        "\xA0\x80\xFD\x81", "A\x88\x9F\xF0\x40", "\x83\x83\x83\x83\x83",
    };
    for (const std::string& run : runs) EXPECT_EQ(Utf8FromCp932ByTable(run), Utf8FromCp932(run));
}

}  // namespace
