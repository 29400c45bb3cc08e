// The audio image: the whole WAV file in memory, a 44-byte header and then the samples in a
// format of sample_format.h (the window's unless another is asked for).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "wav/sample_format.h"

inline constexpr std::size_t kWavHeaderSize = 44;

// The bytes of the samples' data chunk.
constexpr std::size_t WavDataSize(uint32_t sampleCount, SoundFormat format = kWindowSoundFormat) {
    return std::size_t{sampleCount} * static_cast<std::size_t>(format.BytesPerSample());
}

// The bytes of the file for `sampleCount` samples: the header, the samples, and RIFF's pad byte
// (0) after a data chunk of odd size, which keeps every chunk at an even size. The window's
// counts are multiples of 8 and never take it; stretched gaps (Farnsworth timing) and the rates
// 11025, 22050 and 44100 can.
constexpr std::size_t WavFileSize(uint32_t sampleCount, SoundFormat format = kWindowSoundFormat) {
    const std::size_t data = WavDataSize(sampleCount, format);
    return kWavHeaderSize + data + (data & 1u);
}

struct AudioImage {
    uint8_t* block = nullptr;  // null when the image could not be allocated
    int32_t sampleCount = 0;
    SoundFormat format;
};

// Allocates the file's bytes and writes the header and any pad byte; the samples are left
// unwritten, for a caller that writes every one of them (Synthesize, whose renderers write every
// sample once). Gives an image without a block when `sampleCount` is negative or more than the
// format's WAV file holds, or the heap refuses.
AudioImage AudioImageAllocate(int32_t sampleCount, SoundFormat format = kWindowSoundFormat);
// The same with the samples filled with silence: the image as a whole before any element is
// written, which the tests build on.
AudioImage AudioImageNew(int32_t sampleCount);
void AudioImageRelease(AudioImage& image);

// Releases `image` when the scope ends, whichever way it ends, an exception included. Releasing
// an image twice is harmless: the first release leaves it without a block.
class AudioImageGuard {
  public:
    explicit AudioImageGuard(AudioImage& image) : image_(image) {}
    ~AudioImageGuard() { AudioImageRelease(image_); }
    AudioImageGuard(const AudioImageGuard&) = delete;
    AudioImageGuard& operator=(const AudioImageGuard&) = delete;

  private:
    AudioImage& image_;
};
// The samples' bytes: one per sample in 8 bits, two (low byte first) in 16.
std::span<uint8_t> AudioImageSamples(const AudioImage& image);
std::span<const uint8_t> AudioImageBytes(const AudioImage& image);

void WavHeaderWrite(std::span<uint8_t, kWavHeaderSize> header, uint32_t sampleCount,
                    SoundFormat format = kWindowSoundFormat);
