#include "morse/code_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "runtime/text.h"

namespace {

// The codes as published, written independently of the table: the international code for the
// letters and digits, Wabun for the half-width katakana (as UTF-8), and the Wabun brackets.
const std::map<std::string, std::string> kInternational = {
    {"A", ".-"},   {"B", "-..."}, {"C", "-.-."}, {"D", "-.."},  {"E", "."},    {"F", "..-."},  {"G", "--."},
    {"H", "...."}, {"I", ".."},   {"J", ".---"}, {"K", "-.-"},  {"L", ".-.."}, {"M", "--"},    {"N", "-."},
    {"O", "---"},  {"P", ".--."}, {"Q", "--.-"}, {"R", ".-."},  {"S", "..."},  {"T", "-"},     {"U", "..-"},
    {"V", "...-"}, {"W", ".--"},  {"X", "-..-"}, {"Y", "-.--"}, {"Z", "--.."}, {"1", ".----"}, {"2", "..---"},
    {"3", "...--"}, {"4", "....-"}, {"5", "....."}, {"6", "-...."}, {"7", "--..."}, {"8", "---.."},
    {"9", "----."}, {"0", "-----"},
};

const std::map<std::string, std::string> kWabun = {
    {"ｲ", ".-"},    {"ﾛ", ".-.-"},  {"ﾊ", "-..."},  {"ﾆ", "-.-."},  {"ﾎ", "-.."},   {"ﾍ", "."},
    {"ﾄ", "..-.."}, {"ﾁ", "..-."},  {"ﾘ", "--."},   {"ﾇ", "...."},  {"ﾙ", "-.--."}, {"ｦ", ".---"},
    {"ﾜ", "-.-"},   {"ｶ", ".-.."},  {"ﾖ", "--"},    {"ﾀ", "-."},    {"ﾚ", "---"},   {"ｿ", "---."},
    {"ﾂ", ".--."},  {"ﾈ", "--.-"},  {"ﾅ", ".-."},   {"ﾗ", "..."},   {"ﾑ", "-"},     {"ｳ", "..-"},
    {"ﾉ", "..--"},  {"ｵ", ".-..."}, {"ｸ", "...-"},  {"ﾔ", ".--"},   {"ﾏ", "-..-"},  {"ｹ", "-.--"},
    {"ﾌ", "--.."},  {"ｺ", "----"},  {"ｴ", "-.---"}, {"ﾃ", ".-.--"}, {"ｱ", "--.--"}, {"ｻ", "-.-.-"},
    {"ｷ", "-.-.."}, {"ﾕ", "-..--"}, {"ﾒ", "-...-"}, {"ﾐ", "..-.-"}, {"ｼ", "--.-."}, {"ﾋ", "--..-"},
    {"ﾓ", "-..-."}, {"ｾ", ".---."}, {"ｽ", "---.-"}, {"ﾝ", ".-.-."}, {"ﾞ", ".."},    {"ﾟ", "..--."},
    {"ｰ", ".--.-"}, {"(", "-.--.-"}, {")", ".-..-."},
};

// Half-width katakana U+FF61..U+FF9F are the single bytes 0xA1..0xDF of code page 932.
unsigned char Cp932Byte(const std::string& utf8) {
    if (utf8.size() == 1) return static_cast<unsigned char>(utf8[0]);
    const auto* b = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned codePoint = ((b[0] & 0x0Fu) << 12) | ((b[1] & 0x3Fu) << 6) | (b[2] & 0x3Fu);
    return static_cast<unsigned char>(codePoint - 0xFF61 + 0xA1);
}

std::map<unsigned char, std::string> PublishedCodes() {
    std::map<unsigned char, std::string> codes;
    for (const auto& [character, sequence] : kInternational) {
        codes[static_cast<unsigned char>(character[0])] = sequence;
        codes[static_cast<unsigned char>(std::tolower(character[0]))] = sequence;
    }
    for (const auto& [character, sequence] : kWabun) codes[Cp932Byte(character)] = sequence;
    return codes;
}

TEST(CodeTable, EveryByteFindsItsPublishedCodeOrNone) {
    const auto codes = PublishedCodes();
    ASSERT_EQ(codes.size(), 113u);
    for (int byte = 0; byte < 256; ++byte) {
        const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(byte));
        const auto published = codes.find(static_cast<unsigned char>(byte));
        if (published == codes.end()) {
            EXPECT_EQ(entry, nullptr) << "byte 0x" << std::hex << byte;
        } else {
            ASSERT_NE(entry, nullptr) << "byte 0x" << std::hex << byte;
            EXPECT_EQ(entry->character, byte);
            EXPECT_EQ(entry->sequence, published->second) << "byte 0x" << std::hex << byte;
        }
    }
}

TEST(CodeTable, UnitLengthsFollowFromTheSequences) {
    std::set<unsigned char> seen;
    for (const CodeEntry& entry : CodeEntries()) {
        int dots = 0, dashes = 0;
        for (char element : entry.sequence) (element == '.' ? dots : dashes)++;
        EXPECT_EQ(entry.unitLength, dots + 3 * dashes + (dots + dashes - 1) + 3) << entry.sequence;
        EXPECT_GE(entry.unitLength, 4);
        EXPECT_LE(entry.unitLength, 22);
        EXPECT_TRUE(seen.insert(entry.character).second) << "no two entries share a character";
    }
}

struct NamedCase {
    unsigned char byte;
    const char* sequence;  // nullptr: no entry
    int units;
};

TEST(CodeTable, TellingEntries) {
    const NamedCase cases[] = {
        {'a', ".-", 8},       {'A', ".-", 8},        {0xB2, ".-", 8},      {'e', ".", 4},
        {0xCD, ".", 4},       {'(', "-.--.-", 22},   {'0', "-----", 22},   {0xCA, "-...", 12},
        {0xCC, "--..", 14},   {0xD8, "--.", 12},     {0xBB, "-.-.-", 18},  {0xDD, ".-.-.", 16},
        {0xDE, "..", 6},      {'I', "..", 6},        {0xA6, ".---", 16},   {' ', nullptr, 0},
        {'.', nullptr, 0},    {',', nullptr, 0},     {0xA1, nullptr, 0},   {0xA4, nullptr, 0},
        {0xAF, nullptr, 0},   {0x00, nullptr, 0},    {0xA5, nullptr, 0},   {0xA7, nullptr, 0},
        {0x83, nullptr, 0},   {0xE0, nullptr, 0},    {0x7F, nullptr, 0},
    };
    for (const NamedCase& c : cases) {
        const CodeEntry* entry = CodeLookup(c.byte);
        if (c.sequence == nullptr) {
            EXPECT_EQ(entry, nullptr) << int{c.byte};
        } else {
            ASSERT_NE(entry, nullptr) << int{c.byte};
            EXPECT_EQ(entry->sequence, c.sequence);
            EXPECT_EQ(entry->unitLength, c.units);
        }
    }
}

TEST(CodeTable, EntriesAreInIrohaOrderWithTheLatinLetterFirst) {
    const auto& entries = CodeEntries();
    EXPECT_EQ(entries.front().character, 'a');
    EXPECT_EQ(entries[2].character, 0xB2);  // ｲ
    EXPECT_EQ(entries[3].character, 0xDB);  // ﾛ
    EXPECT_EQ(entries.back().character, '0');
}

// The platform's comparison, as the look-up by comparison would use it: a one-byte piece equals
// a table character exactly when it is the same byte. On Windows this is the locale's collation.
TEST(TextCompare, EachTableByteComparesEqualToItselfOnly) {
    for (const CodeEntry& entry : CodeEntries()) {
        for (int byte = 0; byte < 256; ++byte) {
            Text piece = TextNew(1);
            piece[0] = static_cast<char>(byte);
            Text literal = TextNew(1);
            literal[0] = static_cast<char>(entry.character);
            const bool equal = TextCompare(piece, literal) == 2;
            TextRelease(piece);
            EXPECT_EQ(equal, byte == entry.character)
                << "piece 0x" << std::hex << byte << " against entry 0x" << int{entry.character};
        }
    }
}

}  // namespace
