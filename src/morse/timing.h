// The Morse timing: how long the elements and gaps are in units, how a unit becomes samples, and
// the sample format they are counted in. Every length in the program is derived here, once.
#pragma once

#include <cstdint>
#include <string_view>

// The sample format: unsigned 8-bit mono, 8000 samples per second, 128 the silence.
inline constexpr int kSamplesPerSecond = 8000;
inline constexpr int kSamplesPerMillisecond = kSamplesPerSecond / 1000;
inline constexpr uint8_t kSilence = 128;

// Lengths in units; a unit is the dot length the user gives in milliseconds.
inline constexpr int kDotUnits = 1;
inline constexpr int kDashUnits = 3;
inline constexpr int kElementGapUnits = 1;    // between two elements of one character
inline constexpr int kCharacterGapUnits = 3;  // between two characters
inline constexpr int kWordGapUnits = 7;       // between two words, where the message keeps words apart

// The units of a character's elements and the gaps between them: dots, dashes and gaps, given
// as '.' and '-', first element first. The character gap after it is not included.
constexpr int ElementUnits(std::string_view sequence) {
    int units = 0;
    for (std::size_t k = 0; k < sequence.size(); ++k) {
        units += (sequence[k] == '-' ? kDashUnits : kDotUnits) + (k > 0 ? kElementGapUnits : 0);
    }
    return units;
}

// The standard word "PARIS " is 50 units long, gaps included: a speed of N words per minute is a
// unit of 60 000 / (50 N) = 1200 / N milliseconds.
inline constexpr double kParisMilliseconds = 1200.0;

// One run's lengths in samples. Elements and the gaps inside characters always take whole units;
// the gaps between characters and words may be stretched (Farnsworth timing).
struct Timing {
    int64_t unit = 0;          // a dot, and the gap between the elements of a character
    int64_t characterGap = 0;  // between two characters
    int64_t wordGap = 0;       // between two words
};

// The window's timing for a dot length in milliseconds: the gaps of 3 units between characters,
// and no word gap of its own, since the window keeps no words apart: a word gap is a character gap.
Timing DefaultTiming(int32_t dotMilliseconds);
// Gaps of 3 units between characters and 7 between words.
Timing WordGapTiming(int32_t dotMilliseconds);
// Farnsworth timing: characters at the dot length, the gaps between them stretched so that the
// message as a whole runs at `overallWpm` words per minute. `overallWpm` must be below the
// character speed, 1200 / dot length.
Timing FarnsworthTiming(int32_t dotMilliseconds, double overallWpm);
// The gap between words of that timing in samples, before rounding: a slow enough overall speed
// stretches it past any file (and past 64 bits), which the caller refuses before asking for the
// timing.
double FarnsworthWordGap(int32_t dotMilliseconds, double overallWpm);

// The speed in words per minute of a dot length, and the dot length, rounded to the nearest
// millisecond, of a speed.
double WordsPerMinute(double dotMilliseconds);
int32_t DotMillisecondsForWpm(double wordsPerMinute);
