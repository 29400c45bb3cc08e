#include "morse/tone.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> OnePeriod(int32_t frequency, int32_t volume) {
    const Tone tone = ToneMake(frequency, volume);
    return {tone.tile.begin(), tone.tile.begin() + tone.period};
}

struct PeriodCase {
    int32_t frequency;
    int32_t volume;
    std::vector<uint8_t> samples;
};

TEST(Tone, OnePeriodOfSamples) {
    const PeriodCase cases[] = {
        {1000, 50, {128, 163, 178, 163, 128, 92, 78, 92}},
        {1000, 127, {128, 217, 255, 217, 128, 38, 1, 38}},
        {1000, 128, {128, 218, 0, 218, 128, 37, 0, 37}},
        {1000, -50, {128, 92, 78, 92, 127, 163, 178, 163}},
        {1000, 0, {128, 128, 128, 128, 128, 128, 128, 128}},
        {800, 50, {128, 157, 175, 175, 157, 128, 98, 80, 80, 98}},
        {1500, 50, {128, 175, 157, 98, 80}},
        {2000, 50, {128, 178, 128, 78}},
        {440, 50, {128, 145, 160, 171, 177, 177, 171, 160, 145, 128, 110, 95, 84, 78, 78, 84, 95, 110}},
        {889, 50, {128, 163, 178, 163, 128, 92, 78, 92}},
        {2667, 127, {128, 128}},
        {8000, 127, {128}},
    };
    for (const PeriodCase& c : cases) {
        EXPECT_EQ(OnePeriod(c.frequency, c.volume), c.samples) << c.frequency << " Hz, volume " << c.volume;
    }
}

TEST(Tone, PeriodsOfTheFrequencies) {
    const std::pair<int32_t, uint32_t> cases[] = {
        {1, 8000}, {440, 18}, {800, 10}, {889, 8}, {1000, 8}, {1500, 5}, {1601, 4}, {2000, 4},
        {2001, 3}, {2666, 3}, {2667, 2}, {4000, 2}, {4001, 1}, {8000, 1}, {0, 0}, {8001, 0},
        {9000, 0}, {-1, 0}, {-2147483647 - 1, 0},
    };
    for (const auto& [frequency, period] : cases) EXPECT_EQ(TonePeriod(frequency), period) << frequency;
}

// The tone writer's sample, computed the long way for every index of a span: the copies of
// one period must give exactly these.
std::vector<uint8_t> Reference(int32_t frequency, int32_t volume, std::size_t span) {
    std::vector<uint8_t> samples(span, kSilence);
    const uint32_t period = TonePeriod(frequency);
    if (period == 0) return samples;
    for (uint32_t j = 0; j < span; ++j) samples[j] = ToneSample(period, volume, j);
    return samples;
}

TEST(WriteDot, WritesExactlyItsSpanAndTouchesNothingElse) {
    struct Case {
        int32_t frequency, volume, dot;
    };
    const Case cases[] = {{1000, 50, 100}, {440, 50, 7}, {1, 127, 1200}, {1500, -50, 3}, {4000, 50, 10}, {1000, 50, 1}};
    for (const Case& c : cases) {
        const std::size_t span = 8 * static_cast<std::size_t>(c.dot);
        std::vector<uint8_t> area(span + 16, 0xEE);
        WriteDot(std::span(area).subspan(8, span), 0, ToneMake(c.frequency, c.volume), c.dot);
        const auto expected = Reference(c.frequency, c.volume, span);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), area.begin() + 8)) << c.frequency;
        for (std::size_t k = 0; k < 8; ++k) {
            EXPECT_EQ(area[k], 0xEE);
            EXPECT_EQ(area[8 + span + k], 0xEE);
        }
    }
}

TEST(WriteDash, IsThreeDotsLongAndStartsLikeADot) {
    const Tone tone = ToneMake(1000, 50);
    std::vector<uint8_t> dash(2400 + 1, 0xEE);
    std::vector<uint8_t> dot(800, 0xEE);
    WriteDash(dash, 0, tone, 100);
    WriteDot(dot, 0, tone, 100);
    EXPECT_EQ(dash.back(), 0xEE) << "the sample after the span keeps its value";
    EXPECT_TRUE(std::equal(dot.begin(), dot.end(), dash.begin()));
    EXPECT_EQ(std::vector<uint8_t>(dash.begin(), dash.end() - 1), Reference(1000, 50, 2400));
}

TEST(WriteDot, FrequenciesWithoutAPeriodStaySilent) {
    for (int32_t frequency : {0, 8001, 9000, -1, -2147483647 - 1}) {
        std::vector<uint8_t> area(800, kSilence);
        WriteDot(area, 0, ToneMake(frequency, 50), 100);
        EXPECT_EQ(area, std::vector<uint8_t>(800, kSilence)) << frequency;
    }
}

TEST(WriteDot, ADotLengthOfZeroWritesNothing) {
    std::vector<uint8_t> area(16, 0xEE);
    WriteDot(area, 0, ToneMake(1000, 50), 0);
    WriteDash(area, 3, ToneMake(1000, 50), 0);
    EXPECT_EQ(area, std::vector<uint8_t>(16, 0xEE));
}

TEST(WriteDot, IsClippedToTheAreaItIsGiven) {
    const Tone tone = ToneMake(1000, 50);
    const auto full = Reference(1000, 50, 800);
    std::vector<uint8_t> area(500, 0xEE);
    WriteDot(area, 100, tone, 100);  // would run 300 samples past the end
    EXPECT_TRUE(std::all_of(area.begin(), area.begin() + 100, [](uint8_t s) { return s == 0xEE; }));
    EXPECT_TRUE(std::equal(area.begin() + 100, area.end(), full.begin()));
    std::vector<uint8_t> tail(300, 0xEE);
    WriteDot(tail, -500, tone, 100);  // starts before the area: the phase still counts from the element
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), full.begin() + 500));
    WriteDash(tail, 300, tone, 100);
    WriteDash(tail, -1000000, tone, 100);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), full.begin() + 500)) << "out of range writes nothing";
}

TEST(ToneSample, VolumesBeyondTheFormsRangeWrapModulo256) {
    EXPECT_EQ(ToneSample(8, 128, 2), 0);     // 128 + 128 = 256
    EXPECT_EQ(ToneSample(8, 200, 2), 72);    // 328 mod 256
    EXPECT_EQ(ToneSample(4, -2147483647 - 1, 3), 128);  // 128 + 2^31 keeps its low byte
    EXPECT_EQ(ToneSample(4, 2147483647, 1), 127);
}

}  // namespace
