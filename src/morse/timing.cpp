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

// With c the character speed and s the overall speed in words per minute, the time that the
// gaps of one "PARIS " take at speed s beyond what its characters take at speed c is
// ta = (60 c - 37.2 s) / (s c) seconds, spread over its 19 gap units: 3 of them between each two
// characters, 7 between words.
Timing FarnsworthTiming(int32_t dotMilliseconds, double overallWpm) {
    Timing timing = WordGapTiming(dotMilliseconds);
    const double c = WordsPerMinute(dotMilliseconds);
    const double s = overallWpm;
    const double ta = (60.0 * c - 37.2 * s) / (s * c);
    timing.characterGap = std::llround(3.0 * ta / 19.0 * kSamplesPerSecond);
    timing.wordGap = std::llround(7.0 * ta / 19.0 * kSamplesPerSecond);
    return timing;
}

double WordsPerMinute(double dotMilliseconds) { return kParisMilliseconds / dotMilliseconds; }

int32_t DotMillisecondsForWpm(double wordsPerMinute) {
    return static_cast<int32_t>(std::lround(kParisMilliseconds / wordsPerMinute));
}
