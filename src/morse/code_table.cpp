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

// The ITU-R M.1677-1 marks, one row per mark, for runs with punctuation; ! & ; _ and $, which
// the recommendation lacks, take their customary codes. Their ( and ) take the place of the
// window's Wabun brackets.
constexpr CodeRow kMarkRows[] = {
    {".-.-.-",  "."},
    {"--..--",  ","},
    {"..--..",  "?"},
    {".----.",  "'"},
    {"-.-.--",  "!"},   // customary
    {"-..-.",   "/"},
    {"-.--.",   "("},
    {"-.--.-",  ")"},
    {".-...",   "&"},   // customary; the recommendation's "wait"
    {"---...",  ":"},
    {"-.-.-.",  ";"},   // customary
    {"-...-",   "="},
    {".-.-.",   "+"},
    {"-....-",  "-"},
    {"..--.-",  "_"},   // customary
    {".-..-.",  "\""},
    {"...-..-", "$"},   // customary
    {".--.-.",  "@"},
};

// A table's entries with the byte index and unit lengths built from them.
template <std::size_t N>
struct BuiltTable {
    std::array<CodeEntry, N> entries{};
    std::array<uint8_t, 256> index{};  // entry index + 1 for every byte, 0 for the bytes without a code
    std::array<uint8_t, 256> unitLengths{};
};

constexpr bool Holds(std::span<const CodeRow> rows, char c) {
    for (const CodeRow& row : rows) {
        if (row.characters.find(c) != std::string_view::npos) return true;
    }
    return false;
}

// Every character of `rows` that `marks` does not replace, then every character of `marks`.
template <typename Visit>
constexpr void ForEachCharacter(std::span<const CodeRow> rows, std::span<const CodeRow> marks, Visit visit) {
    for (const CodeRow& row : rows) {
        for (char c : row.characters) {
            if (!Holds(marks, c)) visit(c, row.sequence);
        }
    }
    for (const CodeRow& row : marks) {
        for (char c : row.characters) visit(c, row.sequence);
    }
}

constexpr std::size_t CountEntries(std::span<const CodeRow> rows, std::span<const CodeRow> marks) {
    std::size_t count = 0;
    ForEachCharacter(rows, marks, [&count](char, std::string_view) { ++count; });
    return count;
}

template <std::size_t N>
constexpr BuiltTable<N> Build(std::span<const CodeRow> rows, std::span<const CodeRow> marks) {
    BuiltTable<N> table;
    std::size_t next = 0;
    ForEachCharacter(rows, marks, [&](char c, std::string_view sequence) {
        const auto byte = static_cast<unsigned char>(c);
        table.entries[next] = {byte, sequence, CodeUnitLength(sequence)};
        if (table.index[byte] == 0) table.index[byte] = static_cast<uint8_t>(next + 1);
        table.unitLengths[byte] = static_cast<uint8_t>(CodeUnitLength(sequence));
        ++next;
    });
    return table;
}

constexpr std::span<const CodeRow> kNoMarks{};

constexpr auto kWindow = Build<CountEntries(kCodeRows, kNoMarks)>(kCodeRows, kNoMarks);
constexpr auto kPunctuation = Build<CountEntries(kCodeRows, kMarkRows)>(kCodeRows, kMarkRows);
static_assert(kWindow.entries.size() == kCodeEntryCount, "every row's characters make the entries");
static_assert(kPunctuation.entries.size() == kCodeEntryCount - 2 + std::size(kMarkRows),
              "the marks replace the two Wabun brackets");

constexpr CodeTable kWindowTable(kWindow.entries, kWindow.index, kWindow.unitLengths, false);
constexpr CodeTable kPunctuationTable(kPunctuation.entries, kPunctuation.index, kPunctuation.unitLengths, true);

}  // namespace

const CodeTable& CodeTableOf(CodeSet set) { return set == CodeSet::Punctuation ? kPunctuationTable : kWindowTable; }

const std::array<CodeEntry, kCodeEntryCount>& CodeEntries() { return kWindow.entries; }

const CodeEntry* CodeLookup(unsigned char byte) { return kWindowTable.Lookup(byte); }
