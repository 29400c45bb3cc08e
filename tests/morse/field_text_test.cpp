#include "morse/field_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "morse/timing.h"
#include "support/stand_in_form.h"
#include "platform/heap.h"
#include "runtime/fatal.h"
#include "runtime/string_registry.h"

namespace {

struct FieldCase {
    std::string text;
    int32_t number;
};

TEST(ReadFieldNumber, FieldTextsAsTheFormDeliversThem) {
    const FieldCase cases[] = {
        {"100", 100},
        {"1000", 1000},
        {"50", 50},
        {"", 0},
        {"0100", 100},
        {"1.9", 1},
        {"2.99", 2},
        {".5", 0},
        {"12abc", 12},
        {"1e3", 1},
        {" 5", 0},
        {"\t5", 0},
        {"-5", 0},
        {"+5", 0},
        {"&H10", 0},
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967301", 5},
        {"9223372036854775807", 0},  // rounds to 2^63 as a double
        {"9223372036854775808", 0},
        {"99999999999999999999999", 0},
        {std::string(400, '9'), 0},  // infinity
        {"\x82\x50", 0},             // a full-width digit is not a digit
    };
    StandInForm form;
    for (const FieldCase& c : cases) {
        form.SetField(kDotFieldId, c.text);
        TextVar fieldText;
        EXPECT_EQ(ReadFieldNumber(form, kDotFieldId, fieldText), c.number) << '"' << c.text << '"';
    }
}

// How the command-line program ends a run whose text value the heap refuses: the runtime's
// report unwinds as an exception.
struct Refused {};
void ThrowRefused(const char*) { throw Refused(); }

TEST(ReadFieldNumber, AValueRefusedItsBlockLeavesNoneOfTheOthersRegistered) {
    StandInForm form;
    // Registry room first, so that only the values' blocks meet the limit.
    std::vector<TextVar> room(8);
    room.clear();
    RuntimeSetFatalReporter(ThrowRefused);
    for (const std::string text : {"", "12345678901234567890"}) {
        form.SetField(kDotFieldId, text);
        // Each limit below the joined value's n + 7 bytes refuses one of the reading's values.
        for (std::size_t limit = 0; limit < text.size() + 7; ++limit) {
            TextVar fieldText;
            const int32_t before = RegistryCount();
            bool refused = false;
            HeapLimitForTest(limit);
            try {
                ReadFieldNumber(form, kDotFieldId, fieldText);
            } catch (const Refused&) {
                refused = true;
            }
            HeapLimitForTest(SIZE_MAX);
            EXPECT_TRUE(refused) << limit;
            EXPECT_EQ(RegistryCount(), before) << '"' << text << "\" with blocks of at most " << limit << " bytes";
        }
    }
    RuntimeSetFatalReporter(nullptr);
}

TEST(ReadField, GivesTheBytesAndOneZeroByte) {
    StandInForm form;
    form.SetField(kMessageFieldId, "SOS");
    TextVar message;
    ReadField(form, kMessageFieldId, message);
    EXPECT_EQ(std::string(message.Get(), 4), std::string("SOS\0", 4));
    EXPECT_EQ(TextLength(message.Get()), 4);
    form.SetField(kMessageFieldId, "");
    ReadField(form, kMessageFieldId, message);
    EXPECT_EQ(TextLength(message.Get()), 1);
    EXPECT_EQ(message.Get()[0], '\0');
}

TEST(FieldNumberFromDouble, TruncatesThroughSixtyFourBits) {
    const std::pair<double, int32_t> cases[] = {
        {1.9, 1},
        {-1.9, -1},
        {4294967301.0, 5},
        {9223372036854774784.0, -1024},  // 2^63 - 1024 fits; its low 32 bits are 0xFFFFFC00
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::infinity(), 0},
        {9223372036854775808.0, 0},
        {-9223372036854775808.0, 0},
    };
    for (const auto& [value, number] : cases) {
        EXPECT_EQ(FieldNumberFromDouble(value), number) << value;
    }
}

TEST(SampleCount, WrapsIn32BitsAsTheImageSizeAlwaysDid) {
    EXPECT_EQ(SampleCount(27, 100), 21600);
    EXPECT_EQ(SampleCount(1, 268435456), -2147483647 - 1);
    EXPECT_EQ(SampleCount(1, 536870912), 0);
    EXPECT_EQ(SampleCount(-3, 100), -2400);
    EXPECT_EQ(SampleCount(-3, 0), 0);
}

}  // namespace
