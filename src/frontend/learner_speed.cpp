#include "frontend/learner_speed.h"

#include <cerrno>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "morse/timing.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDecimalNumber(std::string_view text) {
    std::size_t at = 0;
    const auto skip = [&text, &at](std::string_view set) {
        if (at < text.size() && set.find(text[at]) != std::string_view::npos) ++at;
    };
    const auto digits = [&text, &at] {
        const std::size_t from = at;
        while (at < text.size() && IsDigit(text[at])) ++at;
        return at - from;
    };
    skip("+-");
    std::size_t mantissa = digits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        skip("+-");
        if (digits() == 0) return false;
    }
    return at == text.size();
}

}  // namespace

std::optional<double> SpeedFromText(const std::string& text) {
    if (!IsDecimalNumber(text)) return std::nullopt;
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    if (errno != 0 || !std::isfinite(value) || value <= 0.0) return std::nullopt;
    return value;
}

WpmFit WpmFitOf(double wordsPerMinute) {
    const double dot = kParisMilliseconds / wordsPerMinute;
    if (dot < 0.5) return WpmFit::DotBelowOneMillisecond;
    if (dot >= INT32_MAX + 0.5) return WpmFit::DotBeyondField;
    return WpmFit::Fits;
}

FarnsworthFit FarnsworthFitOf(int32_t dotMilliseconds, double overallWpm, int32_t rate) {
    if (dotMilliseconds <= 0) return FarnsworthFit::NoDot;
    if (overallWpm >= WordsPerMinute(dotMilliseconds)) return FarnsworthFit::NotBelowCharacterSpeed;
    if (FarnsworthWordGap(dotMilliseconds, overallWpm, rate) > INT32_MAX) return FarnsworthFit::WordGapBeyondFile;
    return FarnsworthFit::Fits;
}
