#include "morse/exact_tone.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "morse/keying.h"
#include "morse/nearest_whole.h"
#include "morse/tone.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Enough whole repeats to copy in large strides; about 64 KiB.
constexpr std::size_t kTileBytes = std::size_t{64} * 1024;

std::size_t Bytes(int64_t samples, SoundFormat format) {
    return static_cast<std::size_t>(samples) * static_cast<std::size_t>(format.BytesPerSample());
}

// An element at sample `position` of `area`: its samples [from, to), which lie inside the area.
struct Stretch {
    uint8_t* area;
    int64_t position;
    int64_t from;
    int64_t to;
};

// Copies the steady tone over the stretch.
void SteadyWrite(const Stretch& s, const ExactTone& tone) {
    const std::size_t phase = Bytes(s.from % tone.cycleSamples, tone.format);
    uint8_t* const out = s.area + Bytes(s.position + s.from, tone.format);
    TileRepeat(tone.tile, phase, out, Bytes(s.to - s.from, tone.format));
}

// The stretch on an edge of an element of `span` samples: each sample the tone times the lower
// of its rise and fall gains.
void EdgeWrite(const Stretch& s, int64_t span, const ExactTone& tone) {
    const auto rise = static_cast<int64_t>(tone.rise.size());
    for (int64_t j = s.from; j < s.to; ++j) {
        double gain = 1.0;
        if (j < rise) gain = tone.rise[static_cast<std::size_t>(j)];
        if (span - 1 - j < rise) gain = std::min(gain, tone.rise[static_cast<std::size_t>(span - 1 - j)]);
        const double value = gain * tone.wave[static_cast<std::size_t>(j % tone.cycleSamples)];
        SampleStore(s.area + Bytes(s.position + j, tone.format), value, tone.format);
    }
}

}  // namespace

void SampleStore(uint8_t* out, double value, SoundFormat format) {
    if (format.bits == 16) {
        const auto step = static_cast<int32_t>(std::clamp(NearestWhole(value), -32768.0, 32767.0));
        const auto bits = static_cast<uint16_t>(step);
        out[0] = static_cast<uint8_t>(bits & 0xFFu);
        out[1] = static_cast<uint8_t>(bits >> 8);
        return;
    }
    out[0] = static_cast<uint8_t>(std::clamp(kSilence + NearestWhole(value), 0.0, 255.0));
}

int32_t SampleLoad(const uint8_t* in, SoundFormat format) {
    if (format.bits == 16) return static_cast<int16_t>(static_cast<uint16_t>(in[0] | in[1] << 8));
    return int32_t{in[0]} - kSilence;
}

void SilenceFill(std::span<uint8_t> area, SoundFormat format) {
    std::memset(area.data(), format.bits == 16 ? 0 : kSilence, area.size());
}

bool ExactToneSounds(int32_t frequency, SoundFormat format) {
    const auto hertz = static_cast<uint32_t>(frequency);
    return hertz > 0 && uint64_t{hertz} * 2 < static_cast<uint64_t>(format.rate);
}

double ExactToneAmplitude(int32_t volume, SoundFormat format) {
    return static_cast<double>(volume) * (format.bits == 16 ? kSixteenBitScale : 1);
}

ExactTone ExactToneMake(int32_t frequency, int32_t volume, SoundFormat format, int64_t riseSamples) {
    ExactTone tone;
    tone.format = format;
    tone.rise = RiseGains(riseSamples);
    if (!ExactToneSounds(frequency, format)) return tone;
    const auto rate = static_cast<uint32_t>(format.rate);
    const auto hertz = static_cast<uint32_t>(frequency);
    tone.cycleSamples = rate / std::gcd(hertz, rate);
    const double amplitude = ExactToneAmplitude(volume, format);
    tone.wave.resize(tone.cycleSamples);
    uint32_t phase = 0;  // j x f mod rate
    for (double& value : tone.wave) {
        value = amplitude * std::sin(kTwoPi * phase / rate);
        phase = (phase + hertz) % rate;
    }
    const std::size_t repeatBytes = Bytes(tone.cycleSamples, format);
    const std::size_t repeats = std::max<std::size_t>(1, kTileBytes / repeatBytes);
    tone.tile.resize(repeats * repeatBytes);
    uint8_t* tile = tone.tile.data();
    for (uint32_t j = 0; j < tone.cycleSamples; ++j) SampleStore(tile + Bytes(j, format), tone.wave[j], format);
    for (std::size_t k = 1; k < repeats; ++k) std::memcpy(tile + k * repeatBytes, tile, repeatBytes);
    return tone;
}

// The element's samples fall in three stretches: the rise, the steady tone, the fall. A short
// element whose edges meet has no steady stretch, and its edge samples take the lower gain.
void ExactToneWrite(std::span<uint8_t> area, int64_t position, const ExactTone& tone, int64_t span) {
    if (span <= 0) return;
    const auto size = static_cast<int64_t>(area.size()) / tone.format.BytesPerSample();
    const int64_t begin = std::max<int64_t>(position, 0) - position;  // element samples
    const int64_t end = std::min<int64_t>(position + span, size) - position;
    if (begin >= end) return;
    if (tone.cycleSamples == 0) {
        SilenceFill(area.subspan(Bytes(position + begin, tone.format), Bytes(end - begin, tone.format)), tone.format);
        return;
    }
    const auto rise = static_cast<int64_t>(tone.rise.size());
    const int64_t steadyBegin = std::min(rise, span);
    const int64_t steadyEnd = std::max(steadyBegin, span - rise);
    EdgeWrite({area.data(), position, begin, std::min(end, steadyBegin)}, span, tone);
    const Stretch steady{area.data(), position, std::max(begin, steadyBegin), std::min(end, steadyEnd)};
    if (steady.from < steady.to) SteadyWrite(steady, tone);
    EdgeWrite({area.data(), position, std::max(begin, steadyEnd), end}, span, tone);
}
