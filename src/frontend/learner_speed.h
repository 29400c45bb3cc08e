// The speeds a learner gives in words per minute, read and checked alike by every front end:
// the speed that stands for the dot length (PARIS), and the overall speed of Farnsworth timing.
// Each front end words the problems in its own way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A decimal number above 0 with nothing before or after it (as strtod reads it); none otherwise.
std::optional<double> SpeedFromText(const std::string& text);

// Whether a speed stands for a dot length that a field holds: 1 to 2147483647 ms once rounded.
enum class WpmFit { Fits, DotBelowOneMillisecond, DotBeyondField };
WpmFit WpmFitOf(double wordsPerMinute);

// Whether Farnsworth timing at an overall speed goes with a dot length: the dot must be above
// 0 ms, and the overall speed below the characters' own.
enum class FarnsworthFit { Fits, NoDot, NotBelowCharacterSpeed };
FarnsworthFit FarnsworthFitOf(int32_t dotMilliseconds, double overallWpm);
