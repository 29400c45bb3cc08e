// The audio image: the whole WAV file in memory, a 44-byte header and then the samples
// (unsigned 8-bit mono PCM at 8000 samples per second, 128 = silence).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t kWavHeaderSize = 44;

struct AudioImage {
    uint8_t* block = nullptr;  // null when the image could not be allocated
    int32_t sampleCount = 0;
};

// Allocates sample count + 44 bytes and writes the header; the samples are left unwritten, for a
// caller that writes every one of them (RenderMessage does). Gives an image without a block
// when `sampleCount` is negative or the heap refuses.
AudioImage AudioImageAllocate(int32_t sampleCount);
// The same with the samples filled with silence.
AudioImage AudioImageNew(int32_t sampleCount);
void AudioImageRelease(AudioImage& image);
std::span<uint8_t> AudioImageSamples(const AudioImage& image);
std::span<const uint8_t> AudioImageBytes(const AudioImage& image);

void WavHeaderWrite(std::span<uint8_t, kWavHeaderSize> header, uint32_t sampleCount);
