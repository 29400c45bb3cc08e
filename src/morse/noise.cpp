#include "morse/noise.h"

#include <cmath>

#include "morse/exact_tone.h"

double NoiseDeviation(const PracticeNoise& noise, double amplitude, int32_t rate) {
    const double signalPower = amplitude * amplitude / 2.0;
    const double bandPower = signalPower / std::pow(10.0, noise.snrDecibels / 10.0);
    return std::sqrt(bandPower * (rate / 2.0) / kNoiseBandHertz);
}

NoiseSource::NoiseSource(const PracticeNoise& noise, double amplitude, SoundFormat format)
    : state_(noise.seed), deviation_(NoiseDeviation(noise, amplitude, format.rate)), format_(format) {}

// SplitMix64 (Steele, Lea and Flood): each 64-bit output gives two uniform numbers in [0, 1),
// of 32 bits each.
double NoiseSource::Next() {
    constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;
    double sum = 0.0;
    for (int pair = 0; pair < 6; ++pair) {
        state_ += 0x9E3779B97F4A7C15u;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        z ^= z >> 31;
        sum += static_cast<double>(z >> 32) * kTwoToMinus32 + static_cast<double>(z & 0xFFFFFFFFu) * kTwoToMinus32;
    }
    return sum - 6.0;
}

void NoiseSource::AddTo(std::span<uint8_t> samples) {
    const auto width = static_cast<std::size_t>(format_.BytesPerSample());
    for (std::size_t at = 0; at + width <= samples.size(); at += width) {
        const double value = SampleLoad(samples.data() + at, format_) + deviation_ * Next();
        SampleStore(samples.data() + at, value, format_);
    }
}
