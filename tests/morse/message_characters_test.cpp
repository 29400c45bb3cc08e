#include "morse/message_characters.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// The marks as ITU-R M.1677-1 publishes them, written independently of the table, with the
// customary codes of ! & ; _ and $, which the recommendation lacks.
const std::map<unsigned char, std::string> kItuMarks = {
    {'.', ".-.-.-"}, {',', "--..--"}, {'?', "..--.."}, {'\'', ".----."}, {'!', "-.-.--"}, {'/', "-..-."},
    {'(', "-.--."},  {')', "-.--.-"}, {'&', ".-..."},  {':', "---..."},  {';', "-.-.-."}, {'=', "-...-"},
    {'+', ".-.-."},  {'-', "-....-"}, {'_', "..--.-"}, {'"', ".-..-."},  {'$', "...-..-"}, {'@', ".--.-."},
};

// The table with punctuation is the window's with the marks in: the Wabun brackets give way to
// the ITU parentheses, and every other byte keeps the window's code or none.
TEST(PunctuationTable, IsTheWindowsWithTheItuMarks) {
    const CodeTable& punctuation = CodeTableOf(CodeSet::Punctuation);
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<unsigned char>(byte);
        const CodeEntry* entry = punctuation.Lookup(b);
        const auto mark = kItuMarks.find(b);
        const CodeEntry* window = CodeLookup(b);
        if (mark != kItuMarks.end()) {
            ASSERT_NE(entry, nullptr) << mark->second;
            EXPECT_EQ(entry->sequence, mark->second) << "mark " << b;
            EXPECT_EQ(entry->unitLength, CodeUnitLength(mark->second));
        } else if (window == nullptr) {
            EXPECT_EQ(entry, nullptr) << "byte 0x" << std::hex << byte;
        } else {
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->sequence, window->sequence) << "byte 0x" << std::hex << byte;
        }
    }
    EXPECT_EQ(punctuation.Entries().size(), CodeEntries().size() - 2 + kItuMarks.size());
    EXPECT_TRUE(punctuation.HasProsigns());
    EXPECT_FALSE(CodeTableOf(CodeSet::Window).HasProsigns());
}

TEST(MessageCharacterAt, ReadsProsignsMarksAndDoubleByteCharacters) {
    using Kind = MessageCharacter::Kind;
    struct Case {
        std::string message;
        CodeSet set;
        Kind kind;
        std::size_t size;
        std::string elements;  // when sounded
    };
    const Case cases[] = {
        {"<AR> K", CodeSet::Punctuation, Kind::Sounded, 4, ".-.-."},
        {"<sos>", CodeSet::Punctuation, Kind::Sounded, 5, "...---..."},
        {"<K>", CodeSet::Punctuation, Kind::Sounded, 3, "-.-"},
        {"<AR> K", CodeSet::Window, Kind::Unsounded, 1, ""},  // the window reads no prosigns
        {"<>", CodeSet::Punctuation, Kind::Unsounded, 1, ""},
        {"<A R>", CodeSet::Punctuation, Kind::Unsounded, 1, ""},
        {"<A1>", CodeSet::Punctuation, Kind::Unsounded, 1, ""},  // letters only
        {"<AR", CodeSet::Punctuation, Kind::Unsounded, 1, ""},
        {">", CodeSet::Punctuation, Kind::Unsounded, 1, ""},
        {"?", CodeSet::Punctuation, Kind::Sounded, 1, "..--.."},
        {"?", CodeSet::Window, Kind::Unsounded, 1, ""},
        {"(", CodeSet::Punctuation, Kind::Sounded, 1, "-.--."},
        {"(", CodeSet::Window, Kind::Sounded, 1, "-.--.-"},
        {"\x83\x41", CodeSet::Punctuation, Kind::Sounded, 2, ".-"},  // ア: its second byte is A
        {"\x81\x40", CodeSet::Punctuation, Kind::WordSpace, 2, ""},  // the ideographic space
        {"\x83\x40", CodeSet::Punctuation, Kind::Unsounded, 2, ""},  // ァ: never '@' from a second byte
        {"\x83\x5F", CodeSet::Punctuation, Kind::Unsounded, 2, ""},  // ダ: nor '_'
        {"\x81", CodeSet::Punctuation, Kind::Unsounded, 1, ""},      // a lead byte at the end
        {"\x88\x3C" "AR>", CodeSet::Punctuation, Kind::Unsounded, 2, ""},  // a '<' after a lead byte is its second
        {"\xB1", CodeSet::Punctuation, Kind::Sounded, 1, "--.--"},  // ｱ
    };
    for (const Case& c : cases) {
        const MessageCharacter character = MessageCharacterAt(c.message, CodeTableOf(c.set));
        EXPECT_EQ(character.kind, c.kind) << c.message;
        EXPECT_EQ(character.size, c.size) << c.message;
        if (c.kind == Kind::Sounded) {
            EXPECT_EQ(ElementsOf(character.letters, CodeTableOf(c.set)), c.elements) << c.message;
        }
    }
}

}  // namespace
