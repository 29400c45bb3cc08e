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

// With c the character speed and s the overall speed in words per minute, the time that the
// gaps of one "PARIS " take at speed s beyond what its characters take at speed c is
// ta = (60 c - 37.2 s) / (s c) seconds, spread over its 19 gap units: 3 of them between each two
// characters, 7 between words.
double StretchedGapSamples(int32_t dotMilliseconds, double overallWpm, int gapUnits) {
    const double c = WordsPerMinute(dotMilliseconds);
    const double s = overallWpm;
    const double ta = (60.0 * c - 37.2 * s) / (s * c);
    return gapUnits * ta / 19.0 * kSamplesPerSecond;
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
