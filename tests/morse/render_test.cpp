#include "morse/render.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morse/code_table.h"
#include "morse/measure.h"
#include "morse/tone.h"
#include "support/window_render.h"

namespace {

struct Rendered {
    std::vector<uint8_t> samples;
    int64_t end;
    int64_t units;
};

// Cleans and measures `message`, sizes the area from the unit count, and renders into it.
Rendered RenderMessage(const std::string& message, int32_t dot, int32_t frequency = 1000, int32_t volume = 50) {
    Text text = TextNew(static_cast<int32_t>(message.size()));
    std::copy(message.begin(), message.end(), text);
    TextVar cleaned(text);
    const int64_t units = MeasureAndClean(cleaned);
    Rendered r{std::vector<uint8_t>(static_cast<std::size_t>(units * 8 * dot), kSilence), 0, units};
    r.end = Render(cleaned.Get(), r.samples, dot, frequency, volume);
    return r;
}

// Where the elements of a message start and how long they are, in samples, listed by hand.
struct Element {
    int64_t start;
    int64_t length;
};

std::vector<uint8_t> Expected(std::size_t size, const std::vector<Element>& elements, int32_t frequency = 1000,
                              int32_t volume = 50) {
    std::vector<uint8_t> samples(size, kSilence);
    const uint32_t period = TonePeriod(frequency);
    for (const Element& e : elements) {
        for (int64_t j = 0; j < e.length; ++j) {
            samples[static_cast<std::size_t>(e.start + j)] = ToneSample(period, volume, static_cast<uint32_t>(j));
        }
    }
    return samples;
}

TEST(Render, WorkedExamplesAtTheFormsDefaults) {
    struct Case {
        std::string message;
        std::size_t size;
        std::vector<Element> elements;
        int64_t end;
    };
    const Case cases[] = {
        {"E", 800, {{0, 800}}, 3200},
        {"ET", 5600, {{0, 800}, {3200, 2400}}, 8000},
        {"A", 4000, {{0, 800}, {1600, 2400}}, 6400},
        {"SOS",
         21600,
         {{0, 800}, {1600, 800}, {3200, 800}, {6400, 2400}, {9600, 2400}, {12800, 2400}, {17600, 800},
          {19200, 800}, {20800, 800}},
         24000},
        // a, blank, b: the blank is cut; b starts 3 units (2400 samples) after a's dash ends at 3999.
        {"a b", 13600, {{0, 800}, {1600, 2400}, {6400, 2400}, {9600, 800}, {11200, 800}, {12800, 800}}, 16000},
    };
    for (const Case& c : cases) {
        const Rendered r = RenderMessage(c.message, 100);
        ASSERT_EQ(r.samples.size(), c.size) << c.message;
        EXPECT_EQ(r.samples, Expected(c.size, c.elements)) << c.message;
        EXPECT_EQ(r.end, c.end) << c.message;
    }
}

TEST(Render, DotLengthOneAndZero) {
    const Rendered one = RenderMessage("E", 1);
    EXPECT_EQ(one.samples, Expected(8, {{0, 8}}));
    const Rendered t = RenderMessage("ET", 1);
    EXPECT_EQ(t.samples, Expected(56, {{0, 8}, {32, 24}}));
    const Rendered zero = RenderMessage("SOS", 0);
    EXPECT_TRUE(zero.samples.empty());
    EXPECT_EQ(zero.end, 0);
}

// Every character alone: the last element ends on the last sample of an area sized from the
// character's unit length less 3, and the write position ends 3 units past it.
TEST(Render, EveryCharacterFillsItsMeasuredAreaExactly) {
    for (const CodeEntry& entry : CodeEntries()) {
        const std::string message(1, static_cast<char>(entry.character));
        const Rendered r = RenderMessage(message, 3);
        ASSERT_EQ(r.samples.size(), static_cast<std::size_t>((entry.unitLength - 3) * 24)) << entry.sequence;
        std::vector<Element> elements;
        int64_t at = 0;
        for (char element : entry.sequence) {
            const int64_t length = element == '-' ? 72 : 24;
            elements.push_back({at, length});
            at += length + 24;
        }
        EXPECT_EQ(r.samples, Expected(r.samples.size(), elements)) << entry.sequence;
        EXPECT_EQ(r.end, 24 * (r.units + 3));
    }
}

TEST(Render, CharactersWithTheSameCodeSoundTheSame) {
    const Rendered lower = RenderMessage("a", 100);
    EXPECT_EQ(RenderMessage("A", 100).samples, lower.samples);
    EXPECT_EQ(RenderMessage("\xB2", 100).samples, lower.samples);  // ｲ
    EXPECT_EQ(RenderMessage("\xDE", 100).samples, RenderMessage("i", 100).samples);  // ﾞ sounds as i
}

TEST(Render, NeverWritesPastTheAreaItIsGiven) {
    // An area too short for the message (as no cleaned run makes one): the elements are clipped.
    std::vector<uint8_t> area(8 * 100 + 64, 0xEE);
    const auto inner = std::span(area).subspan(32, 800);
    std::fill(inner.begin(), inner.end(), kSilence);
    Text message = TextNew(3);
    std::copy_n("SOS", 3, message);
    Render(message, inner, 100, 1000, 50);
    TextRelease(message);
    EXPECT_TRUE(std::all_of(area.begin(), area.begin() + 32, [](uint8_t s) { return s == 0xEE; }));
    EXPECT_TRUE(std::all_of(area.end() - 32, area.end(), [](uint8_t s) { return s == 0xEE; }));
}

TEST(Render, WritesEverySampleOfItsArea) {
    // Fresh memory holds anything: the gaps, the elements of a tone without a period and the
    // samples after the last element are written as silence, never left as they were.
    for (const int32_t frequency : {1000, 0}) {
        std::vector<uint8_t> area(21600 + 3000, 0xEE);
        Text message = TextNew(3);
        std::copy_n("SOS", 3, message);
        Render(message, area, 100, frequency, 50);
        TextRelease(message);
        const std::vector<Element> sos = {{0, 800},     {1600, 800},  {3200, 800},  {6400, 2400}, {9600, 2400},
                                          {12800, 2400}, {17600, 800}, {19200, 800}, {20800, 800}};
        EXPECT_EQ(area, frequency == 0 ? std::vector<uint8_t>(area.size(), kSilence) : Expected(area.size(), sos))
            << frequency;
    }
}

TEST(Render, SilentFrequenciesAndVolumeZeroLeaveSilence) {
    for (const auto& [frequency, volume] : {std::pair{0, 50}, {9000, 50}, {4000, 127}, {1000, 0}}) {
        const Rendered r = RenderMessage("SOS", 10, frequency, volume);
        EXPECT_EQ(r.samples, std::vector<uint8_t>(r.samples.size(), kSilence)) << frequency << "/" << volume;
    }
}

}  // namespace
