// The samples of the audio image: unsigned 8-bit mono at 8000 samples per second, 128 the
// silence (the centre of the unsigned range, where a sine of any volume is centred).
#pragma once

#include <cstdint>

inline constexpr int kSamplesPerSecond = 8000;
inline constexpr int kSamplesPerMillisecond = kSamplesPerSecond / 1000;
inline constexpr uint8_t kSilence = 128;
inline constexpr uint16_t kBitsPerSample = 8;
inline constexpr uint16_t kChannels = 1;
