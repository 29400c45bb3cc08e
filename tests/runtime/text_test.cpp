#include "runtime/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/heap.h"
#include "runtime/string_registry.h"

namespace {

std::string Bytes(const char* value) { return std::string(value, static_cast<std::size_t>(TextLength(value))); }

// Takes the content and releases the value.
std::string Take(Text value) {
    std::string bytes = Bytes(value);
    TextRelease(value);
    return bytes;
}

std::vector<std::string> g_debugLines;
void CollectDebugLine(const char* line) { g_debugLines.emplace_back(line); }

class DebugLines {
  public:
    DebugLines() : old_(DebugOutputRedirect(CollectDebugLine)) { g_debugLines.clear(); }
    ~DebugLines() { DebugOutputRedirect(old_); }
    const std::vector<std::string>& lines() const { return g_debugLines; }

  private:
    DebugSink old_;
};

const std::string kUnknownTextLine =
    "\x96\xA2\x92m\x82\xCC\x95\xB6\x8E\x9A\x97\xF1\x82\xAA\x89\xF0\x95\xFA\x82\xB3\x82\xEA\x82\xE6"
    "\x82\xA4\x82\xC6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B\r\n";

TEST(StartUp, LeavesTheThirtyTwoReservedValuesRegistered) {
    // The test main starts the runtime as the program does; nothing else is live between tests.
    EXPECT_EQ(RegistryCount(), kReservedTextCount);
    for (int32_t i = 0; i < kReservedTextCount; ++i) EXPECT_EQ(TextLength(RegistryEntry(i)), 0);
}

TEST(TextNew, GivesZeroBytesWithATrailingZeroAndRegistersInCreationOrder) {
    const int32_t before = RegistryCount();
    Text a = TextNew(3);
    Text b = TextNew(0);
    EXPECT_EQ(Bytes(a), std::string(3, '\0'));
    EXPECT_EQ(a[3], '\0');
    EXPECT_EQ(TextLength(b), 0);
    EXPECT_EQ(b[0], '\0');
    ASSERT_EQ(RegistryCount(), before + 2);
    EXPECT_EQ(RegistryEntry(before), a);
    EXPECT_EQ(RegistryEntry(before + 1), b);
    TextRelease(a);
    EXPECT_EQ(RegistryEntry(before), b) << "later entries move down in order";
    TextRelease(b);
}

TEST(TextLength, ReadsTheLittleEndianPrefix) {
    Text value = TextNew(0x010203);
    const auto* prefix = reinterpret_cast<const unsigned char*>(value) - 4;
    EXPECT_EQ(prefix[0], 0x03);
    EXPECT_EQ(prefix[1], 0x02);
    EXPECT_EQ(prefix[2], 0x01);
    EXPECT_EQ(prefix[3], 0x00);
    EXPECT_EQ(TextLength(value), 0x010203);
    TextRelease(value);
}

struct MidCase {
    int32_t start;
    int32_t length;
    const char* expected;
};

TEST(TextMid, CutsAsTheTableSaysAndReleasesItsArgument) {
    const MidCase cases[] = {
        {2, 1, "B"}, {2, 0, "BC"}, {1, 0, "ABC"}, {3, 5, "C"}, {0, 1, ""}, {-1, 2, ""},
        {0, 0, ""},  {4, 1, ""},   {1, 3, "ABC"}, {3, 1, "C"}, {1, 1, "A"},
    };
    for (const MidCase& c : cases) {
        const int32_t before = RegistryCount();
        EXPECT_EQ(Take(TextMid(TextFromLiteral("ABC"), c.start, c.length)), c.expected)
            << "start " << c.start << ", length " << c.length;
        EXPECT_EQ(RegistryCount(), before) << "ABC is released";
    }
}

TEST(TextConcat, JoinsAndReleasesBothArguments) {
    const int32_t before = RegistryCount();
    EXPECT_EQ(Take(TextConcat(TextFromLiteral("+"), TextFromLiteral("100"))), "+100");
    EXPECT_EQ(Take(TextConcat(TextNew(0), TextNew(0))), "");
    EXPECT_EQ(Take(TextConcat(TextNew(2), TextFromLiteral("x"))), std::string("\0\0x", 3));
    EXPECT_EQ(RegistryCount(), before);
}

TEST(TextCopy, KeepsZeroBytesInsideAndLeavesTheOriginal) {
    Text original = TextNew(3);
    original[1] = 'x';
    Text copy = TextCopy(original);
    EXPECT_NE(copy, original);
    EXPECT_EQ(Bytes(copy), std::string("\0x\0", 3));
    TextRelease(copy);
    EXPECT_EQ(Take(original), std::string("\0x\0", 3));
}

TEST(TextFirstByte, ReadsUnsignedAndZeroForEmpty) {
    EXPECT_EQ(TextFirstByte(TextNew(0)), 0);
    EXPECT_EQ(TextFirstByte(TextFromLiteral("\xDB" "x")), 0xDB);
    EXPECT_EQ(TextFirstByte(TextFromLiteral("&H")), '&');
}

TEST(TextCompare, EqualOnlyForTheSameBytesAndReleasesTheRightOnly) {
    Text a = TextFromLiteral("a");
    const int32_t before = RegistryCount();
    EXPECT_NE(TextCompare(a, TextFromLiteral("A")), 2);
    EXPECT_EQ(TextCompare(a, TextFromLiteral("a")), 2);
    EXPECT_EQ(RegistryCount(), before) << "the right values are released, a stays";
    EXPECT_EQ(Take(a), "a");
}

TEST(TextRelease, NullIsIgnoredSilently) {
    DebugLines debug;
    const int32_t before = RegistryCount();
    TextRelease(nullptr);
    EXPECT_TRUE(debug.lines().empty());
    EXPECT_EQ(RegistryCount(), before);
}

TEST(TextRelease, ASecondReleaseWritesTheDebugLineAndFreesNothing) {
    Text kept = TextFromLiteral("kept");
    Text value = TextFromLiteral("twice");
    TextRelease(value);
    const int32_t before = RegistryCount();
    DebugLines debug;
    TextRelease(value);
    ASSERT_EQ(debug.lines().size(), 1u);
    EXPECT_EQ(debug.lines()[0], kUnknownTextLine);
    EXPECT_EQ(RegistryCount(), before);
    EXPECT_EQ(Take(kept), "kept") << "other values are untouched";
}

TEST(TextRelease, AnAddressNeverMadeIsReportedNotFreed) {
    char notAValue[8] = "abcdefg";
    DebugLines debug;
    TextRelease(notAValue + 4);
    EXPECT_EQ(debug.lines().size(), 1u);
}

TEST(TextNewDeathTest, AFailedAllocationStopsWithAMessageInsteadOfWritingThroughNull) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            HeapLimitForTest(14);
            TextNew(10);
        },
        "\\(15 bytes\\)");
}

TEST(Registry, ReportsWhenItCannotGrowAndStaysIntact) {
    const int32_t before = RegistryCount();
    char marker[4096] = {};
    int32_t appended = 0;
    HeapLimitForTest((static_cast<std::size_t>(before) + 100) * sizeof(Text));
    while (appended < 4096 && RegistryAppend(marker + appended)) ++appended;
    HeapLimitForTest(SIZE_MAX);
    // Room for exactly 100 more entries: each is taken, and growth past them is refused.
    EXPECT_EQ(appended, 100);
    EXPECT_EQ(RegistryCount(), before + appended);
    for (int32_t i = 0; i < appended; ++i) EXPECT_EQ(RegistryEntry(before + i), marker + i);
    for (int32_t i = 0; i < appended; ++i) EXPECT_TRUE(RegistryRemove(marker + i));
    EXPECT_EQ(RegistryCount(), before);
}

}  // namespace
