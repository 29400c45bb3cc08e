#include "morse/timing.h"

#include <cmath>

Timing DefaultTiming(int32_t dotMilliseconds) {
    const int64_t unit = int64_t{dotMilliseconds} * kSamplesPerMillisecond;
    return {unit, unit * kCharacterGapUnits, unit * kCharacterGapUnits};
}

Timing WordGapTiming(int32_t dotMilliseconds) {
    Timing timing = DefaultTiming(dotMilliseconds);
    timing.wordGap = timing.unit * kWordGapUnits;
    return timing;
}

namespace {

// With c the character speed and s the overall speed in words per minute, one "PARIS " at speed
// s takes 60 / s seconds, of which its letters take kParisElementUnits units at speed c: e / c
// seconds, e = kParisElementUnits x kParisMilliseconds / 1000. The rest,
// ta = (60 c - e s) / (s c) seconds, is spread evenly over its kParisGapUnits gap units: a
// character gap takes kCharacterGapUnits of them, a word gap kWordGapUnits.
double StretchedGapSamples(int32_t dotMilliseconds, double overallWpm, int gapUnits) {
    const double c = WordsPerMinute(dotMilliseconds);
    const double s = overallWpm;
    const double e = kParisElementUnits * kParisMilliseconds / 1000.0;
    const double ta = (60.0 * c - e * s) / (s * c);
    return gapUnits * ta / kParisGapUnits * kSamplesPerSecond;
}

}  // namespace

Timing FarnsworthTiming(int32_t dotMilliseconds, double overallWpm) {
    Timing timing = WordGapTiming(dotMilliseconds);
    timing.characterGap = std::llround(StretchedGapSamples(dotMilliseconds, overallWpm, kCharacterGapUnits));
    timing.wordGap = std::llround(FarnsworthWordGap(dotMilliseconds, overallWpm));
    return timing;
}

double FarnsworthWordGap(int32_t dotMilliseconds, double overallWpm) {
    return StretchedGapSamples(dotMilliseconds, overallWpm, kWordGapUnits);
}

double WordsPerMinute(double dotMilliseconds) { return kParisMilliseconds / dotMilliseconds; }

int32_t DotMillisecondsForWpm(double wordsPerMinute) {
    return static_cast<int32_t>(std::lround(kParisMilliseconds / wordsPerMinute));
}
