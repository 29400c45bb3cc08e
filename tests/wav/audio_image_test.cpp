#include "wav/audio_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/heap.h"

namespace {

TEST(AudioImageNew, TheHeaderOfTheMessageEAtTheDefaults) {
    AudioImage image = AudioImageNew(800);
    ASSERT_NE(image.block, nullptr);
    const std::vector<uint8_t> expected = {
        0x52, 0x49, 0x46, 0x46, 0x44, 0x03, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74,
        0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x40, 0x1F, 0x00, 0x00, 0x40, 0x1F,
        0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x64, 0x61, 0x74, 0x61, 0x20, 0x03, 0x00, 0x00,
    };
    const auto bytes = AudioImageBytes(image);
    ASSERT_EQ(bytes.size(), 844u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 44), expected);
    const auto samples = AudioImageSamples(image);
    EXPECT_EQ(samples.size(), 800u);
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](uint8_t s) { return s == 128; }));
    AudioImageRelease(image);
    EXPECT_EQ(image.block, nullptr);
}

TEST(AudioImageNew, SizesAreLittleEndianAtEveryWidth) {
    std::array<uint8_t, kWavHeaderSize> header{};
    WavHeaderWrite(header, 0x7FFFFFF8u);
    EXPECT_EQ(header[4], 0x1C);  // 0x7FFFFFF8 + 36 = 0x8000001C
    EXPECT_EQ(header[7], 0x80);
    EXPECT_EQ(header[40], 0xF8);
    EXPECT_EQ(header[43], 0x7F);
}

TEST(AudioImageNew, ZeroSamplesIsTheHeaderAlone) {
    AudioImage image = AudioImageNew(0);
    ASSERT_NE(image.block, nullptr);
    const auto bytes = AudioImageBytes(image);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes[4], 36);
    EXPECT_EQ(bytes[40], 0);
    AudioImageRelease(image);
}

TEST(AudioImageNew, NoImageForANegativeCountOrARefusingHeap) {
    EXPECT_EQ(AudioImageNew(-8).block, nullptr);
    EXPECT_EQ(AudioImageNew(-2147483647 - 1).block, nullptr);
    HeapLimitForTest(1000);
    AudioImage refused = AudioImageNew(2400);
    HeapLimitForTest(SIZE_MAX);
    EXPECT_EQ(refused.block, nullptr);
    EXPECT_TRUE(AudioImageBytes(refused).empty());
    EXPECT_TRUE(AudioImageSamples(refused).empty());
    AudioImageRelease(refused);  // releasing nothing is harmless
}

}  // namespace
