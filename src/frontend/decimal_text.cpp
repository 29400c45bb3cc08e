#include "frontend/decimal_text.h"

#include <algorithm>
#include <cstdlib>

std::optional<double> DecimalFromText(const std::string& text, bool withSign) {
    const std::size_t digits = withSign && !text.empty() && text[0] == '-' ? 1 : 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto point = text.find('.', digits);
    const std::string whole = text.substr(digits, point == std::string::npos ? std::string::npos : point - digits);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if (!std::all_of(whole.begin(), whole.end(), isDigit) || !std::all_of(fraction.begin(), fraction.end(), isDigit)) {
        return std::nullopt;
    }
    if (point != std::string::npos && fraction.empty()) return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
}
