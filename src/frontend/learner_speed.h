// The speeds a learner gives in words per minute, read and checked alike by every front end:
// the speed that stands for the dot length (PARIS), and the overall speed of Farnsworth timing.
// Each front end words the problems in its own way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "wav/sample_format.h"

// A number written in decimal (a sign, digits with a point among or around them, an exponent)
// above 0, with nothing before or after it; none otherwise. The hexadecimal forms and the
// spellings of infinity and NaN that strtod also reads are no speeds.
std::optional<double> SpeedFromText(const std::string& text);

// Whether a speed stands for a dot length that a field holds: 1 to 2147483647 ms once rounded.
enum class WpmFit { Fits, DotBelowOneMillisecond, DotBeyondField };
WpmFit WpmFitOf(double wordsPerMinute);

// Whether Farnsworth timing at an overall speed goes with a dot length: the dot must be above
// 0 ms, the overall speed below the characters' own (it slows the gaps, never the characters),
// and a word gap stretched to it must fit a WAV file of `rate` samples per second.
enum class FarnsworthFit { Fits, NoDot, NotBelowCharacterSpeed, WordGapBeyondFile };
FarnsworthFit FarnsworthFitOf(int32_t dotMilliseconds, double overallWpm, int32_t rate = kSamplesPerSecond);
