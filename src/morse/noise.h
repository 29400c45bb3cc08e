// Practice noise: white noise over the whole band, at a signal-to-noise ratio a learner chooses,
// from a seed that makes it again sample for sample.
#pragma once

#include <cstdint>
#include <span>

#include "wav/sample_format.h"

struct PracticeNoise {
    // The tone's mean power while it sounds (amplitude^2 / 2) against the noise's power within a
    // 500 Hz band centred on the tone, in decibels.
    double snrDecibels = 0.0;
    uint64_t seed = 0;
};

inline constexpr double kNoiseBandHertz = 500.0;

// The noise's standard deviation in sample steps for a tone of `amplitude` steps: white noise of
// variance v spreads it evenly over the rate / 2 hertz up to half the rate, so the band holds
// v x 500 / (rate / 2), and the ratio amplitude^2 / 2 over that is the asked one.
double NoiseDeviation(const PracticeNoise& noise, double amplitude, int32_t rate);

// Adds the noise to samples in order, one block after another, each sample held within the
// format's range. The same seed, amplitude and format give the same samples: each number is the
// sum of twelve uniform numbers from SplitMix64, less 6 (mean 0, variance 1, close to normal),
// exact in double arithmetic, times the deviation.
class NoiseSource {
  public:
    NoiseSource(const PracticeNoise& noise, double amplitude, SoundFormat format);
    void AddTo(std::span<uint8_t> samples);  // the format's bytes

  private:
    double Next();

    uint64_t state_;
    double deviation_;
    SoundFormat format_;
};
