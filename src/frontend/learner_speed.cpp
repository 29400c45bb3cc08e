#include "frontend/learner_speed.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "morse/timing.h"

std::optional<double> SpeedFromText(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value <= 0.0) return std::nullopt;
    return value;
}

WpmFit WpmFitOf(double wordsPerMinute) {
    const double dot = kParisMilliseconds / wordsPerMinute;
    if (dot < 0.5) return WpmFit::DotBelowOneMillisecond;
    if (dot >= INT32_MAX + 0.5) return WpmFit::DotBeyondField;
    return WpmFit::Fits;
}

FarnsworthFit FarnsworthFitOf(int32_t dotMilliseconds, double overallWpm) {
    if (dotMilliseconds <= 0) return FarnsworthFit::NoDot;
    if (overallWpm >= WordsPerMinute(dotMilliseconds)) return FarnsworthFit::NotBelowCharacterSpeed;
    return FarnsworthFit::Fits;
}
