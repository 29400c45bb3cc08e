#include "morse/measure.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "morse/code_table.h"
#include "runtime/string_registry.h"
#include "support/window_render.h"

namespace {

Text MakeText(const std::string& bytes) {
    Text text = TextNew(static_cast<int32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), text);
    return text;
}

struct Measured {
    std::string cleaned;
    int64_t units;
};

Measured Measure(const std::string& bytes) {
    TextVar message(MakeText(bytes));
    const int64_t units = MeasureAndClean(message);
    return {std::string(message.Get(), static_cast<std::size_t>(TextLength(message.Get()))), units};
}

// The cleaning pass as first written: take each byte as a one-byte piece, compare it with the
// table's characters in order, and cut a byte without a code by joining what stands before and
// after it. Slow, but it is the reference the one-pass version must agree with.
Measured MeasureByCutting(const std::string& bytes) {
    TextVar message(MakeText(bytes));
    int32_t counter = 0;
    int32_t i = 1;
    while (i <= TextLength(message.Get())) {
        Text piece = TextMid(TextCopy(message.Get()), i, 1);
        int units = 0;
        for (const CodeEntry& entry : CodeEntries()) {
            const char literal[2] = {static_cast<char>(entry.character), 0};
            if (TextCompare(piece, TextFromLiteral(literal)) == 2) {
                units = entry.unitLength;
                break;
            }
        }
        TextRelease(piece);
        if (units != 0) {
            counter += units;
            ++i;
            continue;
        }
        const int32_t length = TextLength(message.Get());
        Text before = i == 1 ? TextNew(0) : TextMid(TextCopy(message.Get()), 1, i - 1);
        Text after = TextMid(TextCopy(message.Get()), i + 1, length - i);
        message.Assign(TextConcat(before, after));
    }
    return {std::string(message.Get(), static_cast<std::size_t>(TextLength(message.Get()))), counter - 3};
}

struct MeasureCase {
    std::string message;
    std::string cleaned;
    int64_t units;
};

TEST(MeasureAndClean, WorkedExamples) {
    const MeasureCase cases[] = {
        {"sos", "sos", 27},
        {"SOS", "SOS", 27},
        {"e", "e", 1},
        {"0", "0", 19},
        {"\xB2\xDB\xCA", "\xB2\xDB\xCA", 31},  // ｲﾛﾊ
        {"\xB6\xDE", "\xB6\xDE", 15},          // ｶﾞ
        {"a b", "ab", 17},
        {"a  b", "ab", 17},
        {"a!?b", "ab", 17},
        {" a", "a", 5},
        {"a.", "a", 5},
        {std::string("SOS\0", 4), "SOS", 27},
        {std::string("a\0\0\0", 4), "a", 5},
        {"", "", -3},
        {std::string("\0", 1), "", -3},
        {" . .  ", "", -3},
        {"\x83\x41", "A", 5},  // the full-width ア leaves its second byte, A
        {"\x82\xA0", "", -3},  // the full-width あ leaves nothing
        {"\xA1\xA4\xAF", "", -3},
    };
    for (const MeasureCase& c : cases) {
        const Measured result = Measure(c.message);
        EXPECT_EQ(result.cleaned, c.cleaned) << c.message;
        EXPECT_EQ(result.units, c.units) << c.message;
    }
}

TEST(MeasureAndClean, AgreesWithCuttingByteByByteOnRandomMessages) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> lengths(0, 40);
    for (int round = 0; round < 300; ++round) {
        std::string message(static_cast<std::size_t>(lengths(random)), '\0');
        for (char& c : message) c = static_cast<char>(anyByte(random));
        const Measured fast = Measure(message);
        const Measured reference = MeasureByCutting(message);
        ASSERT_EQ(fast.cleaned, reference.cleaned) << "round " << round;
        ASSERT_EQ(fast.units, reference.units) << "round " << round;
        int64_t sum = 0;
        for (char c : fast.cleaned) {
            const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(c));
            ASSERT_NE(entry, nullptr);
            sum += entry->unitLength;
        }
        EXPECT_EQ(fast.units + 3, fast.cleaned.empty() ? 0 : sum);
    }
}

TEST(MeasureAndClean, LeavesOnlyTheMessageRegistered) {
    const int32_t before = RegistryCount();
    {
        TextVar message(MakeText("a, b. c"));
        EXPECT_EQ(RegistryCount(), before + 1);
        MeasureAndClean(message);
        EXPECT_EQ(RegistryCount(), before + 1) << "the cleaned message replaces the message";
    }
    EXPECT_EQ(RegistryCount(), before);
}

TEST(MeasureAndClean, TheCleanedMessageEndsInItsZeroByte) {
    for (const std::string& message : {std::string("a."), std::string("ab!?"), std::string("e\0\xFF", 3)}) {
        TextVar text(MakeText(message));
        MeasureAndClean(text);
        EXPECT_EQ(text.Get()[TextLength(text.Get())], '\0') << message;
    }
}

TEST(MeasureAndClean, KeepsAMessageThatIsCleanAlready) {
    TextVar message(MakeText("SOS"));
    const Text original = message.Get();
    MeasureAndClean(message);
    EXPECT_EQ(message.Get(), original);
}

// Kept word breaks: a run of whitespace between sounded characters is one blank; whitespace at
// either end, and bytes without a code, part nothing; the sounded bytes are those the window keeps.
TEST(MeasureMessage, KeepsOneBlankBetweenWords) {
    struct Case {
        std::string message;
        std::string cleaned;
        int64_t wordBreaks;
    };
    const Case cases[] = {
        {"CQ DE", "CQ DE", 1},
        {"  CQ \t\r\n DE  ", "CQ DE", 1},
        {"CQ\x81\x40" "DE", "CQ DE", 1},       // the ideographic space
        {"CQ,DE", "CQDE", 0},                 // a comma parts no words
        {"CQ , DE", "CQ DE", 1},
        {"A\x83\x40" "B", "AB", 0},             // 0x40 ending a double-byte character is no space
        {"\x83\x41 \x83\x41", "A A", 1},    // the second byte of a character still sounds
        {"A\x81\x81@B", "AB", 0},             // ＝ then @: its second byte and @ are no ideographic space
        {"A\x81\x81\x81\x40" "B", "A B", 1},  // ＝ then the ideographic space
        {"A\x81", "A", 0},                     // a lead byte at the end stands alone
        {"A\x8E B", "A B", 1},                 // and so does one before a byte that ends no character
        {" ", "", 0},
    };
    for (const Case& c : cases) {
        TextVar words(MakeText(c.message));
        const Measurement kept = MeasureMessage(words, WordBreaks::Kept);
        TextVar window(MakeText(c.message));
        const Measurement dropped = MeasureMessage(window, WordBreaks::Dropped);
        EXPECT_EQ(std::string(words.Get(), static_cast<std::size_t>(TextLength(words.Get()))), c.cleaned) << c.message;
        EXPECT_EQ(kept.wordBreaks, c.wordBreaks) << c.message;
        EXPECT_EQ(kept.characters, dropped.characters) << c.message;
        EXPECT_EQ(kept.Units(), dropped.Units() + (kWordGapUnits - kCharacterGapUnits) * c.wordBreaks) << c.message;
    }
}

}  // namespace
