// The samples of the audio image. The window's are unsigned 8-bit mono at 8000 samples per
// second, 128 the silence (the centre of the unsigned range, where a sine of any volume is
// centred). Other front ends may ask for another rate and for signed 16-bit samples, whose
// silence is 0.
#pragma once

#include <cstdint>

inline constexpr int kSamplesPerSecond = 8000;
inline constexpr int kSamplesPerMillisecond = kSamplesPerSecond / 1000;
inline constexpr uint8_t kSilence = 128;
inline constexpr uint16_t kBitsPerSample = 8;
inline constexpr uint16_t kChannels = 1;

// The rates a front end offers, lowest first.
inline constexpr int32_t kSampleRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
inline constexpr int32_t kLowestSampleRate = kSampleRates[0];
inline constexpr int32_t kHighestSampleRate = kSampleRates[6];

// A volume v peaks at v in 8 bits and at v x 256 in 16 bits: the same share of the range.
inline constexpr int32_t kSixteenBitScale = 256;

struct SoundFormat {
    int32_t rate = kSamplesPerSecond;  // samples per second
    uint16_t bits = kBitsPerSample;    // 8 (unsigned) or 16 (signed, little-endian)

    constexpr int BytesPerSample() const { return bits == 16 ? 2 : 1; }
    // The largest sample count whose data a WAV file of this format holds: at most 2^31 - 1 bytes.
    constexpr int32_t MaxSamples() const { return INT32_MAX / BytesPerSample(); }
    bool operator==(const SoundFormat&) const = default;
};

inline constexpr SoundFormat kWindowSoundFormat{};

// The format as the core makes it: a rate held between the lowest and the highest offered (any
// whole rate between them is made exactly), and 16 bits or else 8.
constexpr SoundFormat SoundFormatNormalized(SoundFormat format) {
    if (format.rate < kLowestSampleRate) format.rate = kLowestSampleRate;
    if (format.rate > kHighestSampleRate) format.rate = kHighestSampleRate;
    format.bits = format.bits == 16 ? uint16_t{16} : uint16_t{8};
    return format;
}
