// The Morse timing: how long the elements and gaps are in units and how a unit becomes samples
// of the audio image's format. Every length in the program is derived here, once.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "wav/sample_format.h"

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

// The standard word "PARIS " sets the speed: its letters' elements with the gaps inside them,
// then four character gaps and a word gap. A speed of N words per minute sends it N times a
// minute, so a unit lasts 60 000 / (50 N) = kParisMilliseconds / N milliseconds.
inline constexpr std::string_view kParisLetters[] = {".--.", ".-", ".-.", "..", "..."};
constexpr int ParisElementUnits() {
    int units = 0;
    for (std::string_view letter : kParisLetters) units += ElementUnits(letter);
    return units;
}
inline constexpr int kParisElementUnits = ParisElementUnits();
inline constexpr int kParisGapUnits =
    static_cast<int>(std::size(kParisLetters) - 1) * kCharacterGapUnits + kWordGapUnits;
inline constexpr int kParisUnits = kParisElementUnits + kParisGapUnits;
static_assert(kParisElementUnits == 31 && kParisGapUnits == 19 && kParisUnits == 50);
inline constexpr double kParisMilliseconds = 60000.0 / kParisUnits;

// One run's lengths in samples at the window's rate. Elements and the gaps inside characters always take whole units;
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
// The gap between words of that timing in samples at `rate`, before rounding: a slow enough
// overall speed stretches it past any file (and past 64 bits), which the caller refuses before
// asking for the timing.
double FarnsworthWordGap(int32_t dotMilliseconds, double overallWpm, int32_t rate = kSamplesPerSecond);

// The same lengths at any sample rate, in ticks of a thousandth of a sample: a unit of d ms at
// r samples per second is d x r / 1000 samples, exactly d x r ticks, whole or not. A run's
// renderer keeps its place in ticks and puts each boundary of an element at the sample nearest
// its exact time (a half rounds up), so that a length that is not a whole number of samples
// never drifts: each element is as long as its exact length rounded one way or the other, and
// where it starts is never more than half a sample from its exact time, however long the run.
inline constexpr int64_t kTicksPerSample = 1000;
struct TickTiming {
    int64_t unit = 0;
    int64_t characterGap = 0;
    int64_t wordGap = 0;
};
constexpr int64_t SampleAtTick(int64_t tick) { return (tick + kTicksPerSample / 2) / kTicksPerSample; }

// The timings above at `rate` samples per second. The stretched gaps of Farnsworth timing are
// rounded once to a whole number of samples, as the window's rate has them, and every gap of a
// kind takes that length; a gap too long for any file is held at a length that no file holds.
TickTiming DefaultTicks(int32_t dotMilliseconds, int32_t rate);
TickTiming WordGapTicks(int32_t dotMilliseconds, int32_t rate);
TickTiming FarnsworthTicks(int32_t dotMilliseconds, double overallWpm, int32_t rate);

// Unit count x dot length x samples per millisecond in 32-bit arithmetic that wraps: the
// window's image size. A size that wrapped or went negative differs from the exact length, and
// the run is refused.
int32_t SampleCount(int32_t unitCount, int32_t dotLength);

// The speed in words per minute of a dot length, and the dot length, rounded to the nearest
// millisecond, of a speed.
double WordsPerMinute(double dotMilliseconds);
int32_t DotMillisecondsForWpm(double wordsPerMinute);
