#include "morse/tone.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Enough whole periods to copy in large strides; about 64 KiB.
constexpr std::size_t kTileBytes = std::size_t{64} * 1024;

}  // namespace

void TileRepeat(std::span<const uint8_t> tile, std::size_t phase, uint8_t* out, std::size_t bytes) {
    while (bytes > 0) {
        const std::size_t chunk = std::min(bytes, tile.size() - phase);
        std::memcpy(out, tile.data() + phase, chunk);
        out += chunk;
        bytes -= chunk;
        phase = 0;
    }
}

// Copies the tone over [position, position + span) clipped to `area`. The phase follows the
// element's own index, so a clipped start still gets the samples it would have had.
void ToneWrite(std::span<uint8_t> area, int64_t position, const Tone& tone, int64_t span) {
    if (span <= 0) return;
    const int64_t size = static_cast<int64_t>(area.size());
    const int64_t begin = std::max<int64_t>(position, 0);
    const int64_t end = std::min<int64_t>(position + span, size);
    if (begin >= end) return;
    if (tone.tile.empty()) {
        std::memset(area.data() + begin, kSilence, static_cast<std::size_t>(end - begin));
        return;
    }
    const auto period = static_cast<int64_t>(tone.period);
    const auto phase = static_cast<std::size_t>((begin - position) % period);
    uint8_t* const out = area.data() + begin;
    TileRepeat(tone.tile, phase, out, static_cast<std::size_t>(end - begin));
}

uint32_t TonePeriod(int32_t frequency) {
    const auto hertz = static_cast<uint32_t>(frequency);
    return hertz == 0 ? 0 : static_cast<uint32_t>(kSamplesPerSecond) / hertz;
}

// Each step rounded to a double before the next, the angle taken from the index alone (never
// accumulated), and the product rounded down: the lower half-wave lies one step further from
// the centre than the upper one wherever the product is not whole.
uint8_t ToneSample(uint32_t period, int32_t volume, uint32_t index) {
    const double step = kTwoPi / static_cast<double>(period);
    const double angle = static_cast<double>(index % period) * step;
    const double y = std::floor(static_cast<double>(volume) * std::sin(angle));
    // |y| <= 2^31: 64 bits hold it whole, and only the low eight bits of silence + y are kept.
    return static_cast<uint8_t>(static_cast<uint64_t>(kSilence + static_cast<int64_t>(y)) & 0xFFu);
}

Tone ToneMake(int32_t frequency, int32_t volume) {
    Tone tone;
    tone.period = TonePeriod(frequency);
    if (tone.period == 0) return tone;
    const std::size_t periods = std::max<std::size_t>(1, kTileBytes / tone.period);
    tone.tile.resize(periods * tone.period);
    for (uint32_t j = 0; j < tone.period; ++j) tone.tile[j] = ToneSample(tone.period, volume, j);
    for (std::size_t k = 1; k < periods; ++k) {
        std::memcpy(tone.tile.data() + k * tone.period, tone.tile.data(), tone.period);
    }
    return tone;
}

// Decided from the samples themselves, so that it cannot disagree with what is written.
ToneHeard ToneAsHeard(int32_t frequency, int32_t volume) {
    ToneHeard heard;
    heard.period = TonePeriod(frequency);
    if (heard.period == 0) return heard;
    heard.hertz = double{kSamplesPerSecond} / heard.period;
    for (uint32_t j = 0; j < heard.period && !heard.audible; ++j) {
        heard.audible = ToneSample(heard.period, volume, j) != kSilence;
    }
    return heard;
}

void WriteDot(std::span<uint8_t> area, int64_t position, const Tone& tone, int32_t dotLength) {
    ToneWrite(area, position, tone, DefaultTiming(dotLength).unit * kDotUnits);
}

void WriteDash(std::span<uint8_t> area, int64_t position, const Tone& tone, int32_t dotLength) {
    ToneWrite(area, position, tone, DefaultTiming(dotLength).unit * kDashUnits);
}
