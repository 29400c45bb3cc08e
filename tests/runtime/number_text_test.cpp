#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

double Convert(const std::string& bytes) {
    Text text = TextNew(static_cast<int32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), text);
    const double result = TextToNumber(text);
    TextRelease(text);
    return result;
}

struct NumberCase {
    std::string text;
    double expected;
};

TEST(TextToNumber, AsTheFormCallsItWithAPlusInFront) {
    const NumberCase cases[] = {
        {"+100", 100}, {"+1000", 1000}, {"+50", 50}, {"+", 0},   {"+ 5", 0},    {"+-5", 0},
        {"+&H10", 0},  {"+12abc", 12},  {"+1.5", 1.5}, {"+.5", 0.5}, {"+5.", 5}, {"+1e3", 1},
        {"+1.2.3", 1.2}, {"+0100", 100}, {"+\t5", 0}, {"++5", 0},
    };
    for (const NumberCase& c : cases) EXPECT_EQ(Convert(c.text), c.expected) << c.text;
}

TEST(TextToNumber, CalledDirectly) {
    const NumberCase cases[] = {
        {"", 0},
        {" \t \t42", 42},
        {"-3.25", -3.25},
        {"&H1f", 31},
        {"&h1F", 31},
        {"&O17", 15},
        {"&o17", 15},
        {"&O8", 0},
        {"&H", 0},
        {"&", 0},
        {"&X1", 0},
        {"& H1", 0},
        {"&H1G", 1},
        {"&0", 0},
        {"&H8000000000000000", -9223372036854775808.0},
        {"&H10000000000000000", 0},
        // 15 digits sum to 2^60 - 1, which rounds to 2^60 in a double; the 16th term wraps to -2^60.
        {"&HFFFFFFFFFFFFFFFF", 0},
        {"&O777", 511},
        {"\n5", 0},
        {"\x81\x40" "5", 0},  // a full-width space is not a blank
    };
    for (const NumberCase& c : cases) EXPECT_EQ(Convert(c.text), c.expected) << c.text;
}

TEST(TextToNumber, LoneMinusSignsGiveNegativeZero) {
    for (const char* text : {"-", "--5", "-+5"}) {
        const double result = Convert(text);
        EXPECT_EQ(result, 0.0) << text;
        EXPECT_TRUE(std::signbit(result)) << text;
    }
}

TEST(TextToNumber, StopsAtTheFirstZeroByteWhateverTheLengthSays) {
    EXPECT_EQ(Convert(std::string("+12\0" "34", 6)), 12);
    EXPECT_EQ(Convert(std::string("&H1\0" "F", 5)), 1);
}

TEST(TextToNumber, SumsDigitsFromTheLastAsTheProgramsArithmeticDoes) {
    // 0.1 + 0.02 + 0.003 in this order, each rounded, is not the nearest double to 0.123.
    double expected = 0.0;
    expected += 1 / 10.0;
    expected += 2 / 100.0;
    expected += 3 / 1000.0;
    EXPECT_EQ(Convert("0.123"), expected);
}

}  // namespace
