// The exact tone: a sine at exactly the asked frequency, in any sound format, each element
// shaped by its keying. The window's tone (tone.h) is kept for the window's sound; this one is
// chosen by the request.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "wav/sample_format.h"

// The samples of one run's tone, computed once. Every element starts at phase 0, and its sample
// j has the phase j x f / rate of a cycle, kept as the whole number j x f mod rate (an integer
// phase accumulator, which never drifts): the tone repeats exactly after `cycleSamples`, the
// fewest samples that hold whole cycles, rate / gcd(f, rate).
struct ExactTone {
    SoundFormat format;
    uint32_t cycleSamples = 0;  // 0 for a frequency that makes no tone: elements are silence
    std::vector<double> wave;   // one repeat of the tone before rounding: amplitude x sin(phase)
    std::vector<uint8_t> tile;  // whole repeats of the rounded tone back to back, in the format's bytes
    std::vector<double> rise;   // the gains of the rising edge (keying.h); empty when keyed hard
};

// The frequency is read as unsigned, as the window reads it; only 1 Hz up to below half the rate
// makes a tone (at half the rate every sample of the sine is 0, and above it the tone would
// sound at another pitch). The amplitude is the volume in 8 bits and 256 times it in 16 bits.
ExactTone ExactToneMake(int32_t frequency, int32_t volume, SoundFormat format, int64_t riseSamples);
bool ExactToneSounds(int32_t frequency, SoundFormat format);
// A volume's amplitude in sample steps of `format`.
double ExactToneAmplitude(int32_t volume, SoundFormat format);

// Writes one element of `span` samples at sample `position` of `area` (the format's bytes),
// rising over its first samples and falling over its last; only the part inside `area` is
// written. The phase follows the element's own index, so a clipped start gets the samples it
// would have had.
void ExactToneWrite(std::span<uint8_t> area, int64_t position, const ExactTone& tone, int64_t span);

// Silence over the whole of `area`, the format's bytes.
void SilenceFill(std::span<uint8_t> area, SoundFormat format);
// One sample value (in sample steps, 0 the silence) in the format's bytes at `out`, rounded to
// the nearest step and held within the format's range.
void SampleStore(uint8_t* out, double value, SoundFormat format);
// The sample at `in`, in sample steps, 0 the silence.
int32_t SampleLoad(const uint8_t* in, SoundFormat format);
