#include "morse/code_table.h"

#include <string_view>

namespace {

struct CodeRow {
    std::string_view sequence;
    std::string_view characters;  // every byte that carries the sequence, in code page 932
};

// One row per sequence, in iroha order: each katakana beside the Latin letter of the same code.
// Katakana are written as their code page 932 bytes, with the character in the comment.
constexpr CodeRow kCodeRows[] = {
    {".-",     "aA\xB2"},  // ｲ
    {".-.-",   "\xDB"},    // ﾛ
    {"-...",   "bB\xCA"},  // ﾊ
    {"-.-.",   "cC\xC6"},  // ﾆ
    {"-..",    "dD\xCE"},  // ﾎ
    {".",      "eE\xCD"},  // ﾍ
    {"..-..",  "\xC4"},    // ﾄ
    {"..-.",   "fF\xC1"},  // ﾁ
    {"--.",    "gG\xD8"},  // ﾘ
    {"....",   "hH\xC7"},  // ﾇ
    {"..",     "iI\xDE"},  // ﾞ (voiced sound mark)
    {"-.--.",  "\xD9"},    // ﾙ
    {".---",   "jJ\xA6"},  // ｦ
    {"-.-",    "kK\xDC"},  // ﾜ
    {".-..",   "lL\xB6"},  // ｶ
    {"--",     "mM\xD6"},  // ﾖ
    {"-.",     "nN\xC0"},  // ﾀ
    {"---",    "oO\xDA"},  // ﾚ
    {"---.",   "\xBF"},    // ｿ
    {".--.",   "pP\xC2"},  // ﾂ
    {"--.-",   "qQ\xC8"},  // ﾈ
    {".-.",    "rR\xC5"},  // ﾅ
    {"...",    "sS\xD7"},  // ﾗ
    {"-",      "tT\xD1"},  // ﾑ
    {"..-",    "uU\xB3"},  // ｳ
    {"..--",   "\xC9"},    // ﾉ
    {".-...",  "\xB5"},    // ｵ
    {"...-",   "vV\xB8"},  // ｸ
    {".--",    "wW\xD4"},  // ﾔ
    {"-..-",   "xX\xCF"},  // ﾏ
    {"-.--",   "yY\xB9"},  // ｹ
    {"--..",   "zZ\xCC"},  // ﾌ
    {"----",   "\xBA"},    // ｺ
    {"-.---",  "\xB4"},    // ｴ
    {".-.--",  "\xC3"},    // ﾃ
    {"--.--",  "\xB1"},    // ｱ
    {"-.-.-",  "\xBB"},    // ｻ
    {"-.-..",  "\xB7"},    // ｷ
    {"-..--",  "\xD5"},    // ﾕ
    {"-...-",  "\xD2"},    // ﾒ
    {"..-.-",  "\xD0"},    // ﾐ
    {"--.-.",  "\xBC"},    // ｼ
    {"--..-",  "\xCB"},    // ﾋ
    {"-..-.",  "\xD3"},    // ﾓ
    {".---.",  "\xBE"},    // ｾ
    {"---.-",  "\xBD"},    // ｽ
    {".-.-.",  "\xDD"},    // ﾝ
    {"..--.",  "\xDF"},    // ﾟ (semi-voiced sound mark)
    {".--.-",  "\xB0"},    // ｰ (prolonged sound mark)
    {"-.--.-", "("},
    {".-..-.", ")"},
    {".----",  "1"},
    {"..---",  "2"},
    {"...--",  "3"},
    {"....-",  "4"},
    {".....",  "5"},
    {"-....",  "6"},
    {"--...",  "7"},
    {"---..",  "8"},
    {"----.",  "9"},
    {"-----",  "0"},
};

constexpr std::array<CodeEntry, kCodeEntryCount> MakeEntries() {
    std::array<CodeEntry, kCodeEntryCount> entries{};
    std::size_t next = 0;
    for (const CodeRow& row : kCodeRows) {
        for (char c : row.characters) {
            entries[next++] = {static_cast<unsigned char>(c), row.sequence, CodeUnitLength(row.sequence)};
        }
    }
    return entries;
}

constexpr std::array<CodeEntry, kCodeEntryCount> kEntries = MakeEntries();

// Entry index + 1 for every byte, 0 for the bytes without a code.
constexpr std::array<uint8_t, 256> MakeIndex() {
    std::array<uint8_t, 256> index{};
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (index[kEntries[i].character] == 0) index[kEntries[i].character] = static_cast<uint8_t>(i + 1);
    }
    return index;
}

constexpr std::array<uint8_t, 256> kIndex = MakeIndex();

constexpr std::array<uint8_t, 256> MakeUnitLengths() {
    std::array<uint8_t, 256> lengths{};
    for (const CodeEntry& entry : kEntries) lengths[entry.character] = static_cast<uint8_t>(entry.unitLength);
    return lengths;
}

constexpr std::array<uint8_t, 256> kUnitLengths = MakeUnitLengths();

constexpr int CountCharacters() {
    int count = 0;
    for (const CodeRow& row : kCodeRows) count += static_cast<int>(row.characters.size());
    return count;
}
static_assert(CountCharacters() == kCodeEntryCount, "every row's characters make the entries");

}  // namespace

const std::array<CodeEntry, kCodeEntryCount>& CodeEntries() { return kEntries; }

const std::array<uint8_t, 256>& CodeUnitLengths() { return kUnitLengths; }

const CodeEntry* CodeLookup(unsigned char byte) {
    const uint8_t slot = kIndex[byte];
    return slot == 0 ? nullptr : &kEntries[slot - 1];
}
