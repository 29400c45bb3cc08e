// The decimal numbers that the front ends read for times and ratios, alike in each: digits with
// a fraction or not, and a minus sign where a value below 0 means something.
#pragma once

#include <optional>
#include <string>

// A decimal number written out in digits, with a fraction or not and a minus sign if
// `withSign`: no exponent, no hexadecimal, no blanks, nothing after it; none otherwise.
std::optional<double> DecimalFromText(const std::string& text, bool withSign = false);
