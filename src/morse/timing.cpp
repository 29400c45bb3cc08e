#include "morse/timing.h"

#include <cmath>

#include "morse/nearest_whole.h"

namespace {

// The samples at the window's rate of lengths in ticks at that rate, which are always whole.
Timing WholeSamples(const TickTiming& ticks) {
    return {ticks.unit / kTicksPerSample, ticks.characterGap / kTicksPerSample, ticks.wordGap / kTicksPerSample};
}

// With c the character speed and s the overall speed in words per minute, one "PARIS " at speed
// s takes 60 / s seconds, of which its letters take kParisElementUnits units at speed c: e / c
// seconds, e = kParisElementUnits x kParisMilliseconds / 1000. The rest,
// ta = (60 c - e s) / (s c) seconds, is spread evenly over its kParisGapUnits gap units: a
// character gap takes kCharacterGapUnits of them, a word gap kWordGapUnits.
double StretchedGapSamples(int32_t dotMilliseconds, double overallWpm, int gapUnits, int32_t rate) {
    const double c = WordsPerMinute(dotMilliseconds);
    const double s = overallWpm;
    const double e = kParisElementUnits * kParisMilliseconds / 1000.0;
    const double ta = (60.0 * c - e * s) / (s * c);
    return gapUnits * ta / kParisGapUnits * rate;
}

// A stretched gap in ticks: the nearest whole sample, or a length no file holds (2^40 samples)
// for a gap beyond it, so that the rounding never leaves the 64 bits.
int64_t StretchedGapTicks(double samples) {
    constexpr double kBeyondAnyFile = 1099511627776.0;
    return (samples < kBeyondAnyFile ? NearestInt64(samples) : static_cast<int64_t>(kBeyondAnyFile)) * kTicksPerSample;
}

}  // namespace

TickTiming DefaultTicks(int32_t dotMilliseconds, int32_t rate) {
    const int64_t unit = int64_t{dotMilliseconds} * rate;
    return {unit, unit * kCharacterGapUnits, unit * kCharacterGapUnits};
}

TickTiming WordGapTicks(int32_t dotMilliseconds, int32_t rate) {
    TickTiming ticks = DefaultTicks(dotMilliseconds, rate);
    ticks.wordGap = ticks.unit * kWordGapUnits;
    return ticks;
}

TickTiming FarnsworthTicks(int32_t dotMilliseconds, double overallWpm, int32_t rate) {
    TickTiming ticks = WordGapTicks(dotMilliseconds, rate);
    ticks.characterGap = StretchedGapTicks(StretchedGapSamples(dotMilliseconds, overallWpm, kCharacterGapUnits, rate));
    ticks.wordGap = StretchedGapTicks(FarnsworthWordGap(dotMilliseconds, overallWpm, rate));
    return ticks;
}

Timing DefaultTiming(int32_t dotMilliseconds) { return WholeSamples(DefaultTicks(dotMilliseconds, kSamplesPerSecond)); }

Timing WordGapTiming(int32_t dotMilliseconds) { return WholeSamples(WordGapTicks(dotMilliseconds, kSamplesPerSecond)); }

Timing FarnsworthTiming(int32_t dotMilliseconds, double overallWpm) {
    return WholeSamples(FarnsworthTicks(dotMilliseconds, overallWpm, kSamplesPerSecond));
}

double FarnsworthWordGap(int32_t dotMilliseconds, double overallWpm, int32_t rate) {
    return StretchedGapSamples(dotMilliseconds, overallWpm, kWordGapUnits, rate);
}

double WordsPerMinute(double dotMilliseconds) { return kParisMilliseconds / dotMilliseconds; }

// A speed that WpmFitOf refuses still gives a dot the field can hold: the nearer end of its range.
int32_t DotMillisecondsForWpm(double wordsPerMinute) {
    const double dot = kParisMilliseconds / wordsPerMinute;
    if (!(dot < INT32_MAX)) return INT32_MAX;
    if (!(dot > 0.0)) return 0;
    return static_cast<int32_t>(NearestInt64(dot));
}

int32_t SampleCount(int32_t unitCount, int32_t dotLength) {
    const uint32_t product = static_cast<uint32_t>(unitCount) * static_cast<uint32_t>(dotLength) *
                             static_cast<uint32_t>(kSamplesPerMillisecond);
    return static_cast<int32_t>(product);
}
