#include "wav/audio_image.h"

#include <cstring>

#include "platform/heap.h"

namespace {

constexpr uint16_t kFormatPcm = 1;

void PutTag(uint8_t* at, const char (&tag)[5]) { std::memcpy(at, tag, 4); }

void PutU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace

// The canonical 44-byte header of a PCM file with one "fmt " and one "data" chunk, every
// number little-endian. The RIFF chunk counts everything after its own 8 bytes: the file's size
// less 8, a pad byte after an odd data chunk included.
void WavHeaderWrite(std::span<uint8_t, kWavHeaderSize> header, uint32_t sampleCount, SoundFormat format) {
    const auto rate = static_cast<uint32_t>(format.rate);
    const auto blockAlign = static_cast<uint16_t>(kChannels * format.bits / 8);  // bytes of one sample frame
    uint8_t* h = header.data();
    PutTag(h + 0, "RIFF");
    // 36 ("WAVE", the fmt chunk's 8 + 16, the data chunk's own 8) + the samples (+ the pad byte)
    PutU32(h + 4, static_cast<uint32_t>(WavFileSize(sampleCount, format) - 8));
    PutTag(h + 8, "WAVE");
    PutTag(h + 12, "fmt ");
    PutU32(h + 16, 16);  // size of the PCM format record that follows
    PutU16(h + 20, kFormatPcm);
    PutU16(h + 22, kChannels);
    PutU32(h + 24, rate);
    PutU32(h + 28, rate * blockAlign);  // bytes per second
    PutU16(h + 32, blockAlign);
    PutU16(h + 34, format.bits);
    PutTag(h + 36, "data");
    PutU32(h + 40, static_cast<uint32_t>(WavDataSize(sampleCount, format)));
}

// A bulk block: nothing is written twice, so its first touch is the one that writes it.
AudioImage AudioImageAllocate(int32_t sampleCount, SoundFormat format) {
    AudioImage image;
    if (sampleCount < 0 || sampleCount > format.MaxSamples()) return image;
    const auto count = static_cast<uint32_t>(sampleCount);
    const std::size_t size = WavFileSize(count, format);
    image.block = static_cast<uint8_t*>(HeapBulkBlockNew(size));
    if (image.block == nullptr) return image;
    image.sampleCount = sampleCount;
    image.format = format;
    if (size > kWavHeaderSize + WavDataSize(count, format)) image.block[size - 1] = 0;  // pad byte
    WavHeaderWrite(std::span<uint8_t, kWavHeaderSize>(image.block, kWavHeaderSize), count, format);
    return image;
}

AudioImage AudioImageNew(int32_t sampleCount) {
    AudioImage image = AudioImageAllocate(sampleCount);
    if (image.block != nullptr) {
        std::memset(image.block + kWavHeaderSize, kSilence, static_cast<std::size_t>(sampleCount));
    }
    return image;
}

void AudioImageRelease(AudioImage& image) {
    HeapBlockFree(image.block);
    image = AudioImage{};
}

std::span<uint8_t> AudioImageSamples(const AudioImage& image) {
    if (image.block == nullptr) return {};
    return {image.block + kWavHeaderSize, WavDataSize(static_cast<uint32_t>(image.sampleCount), image.format)};
}

std::span<const uint8_t> AudioImageBytes(const AudioImage& image) {
    if (image.block == nullptr) return {};
    return {image.block, WavFileSize(static_cast<uint32_t>(image.sampleCount), image.format)};
}
