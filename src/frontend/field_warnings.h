// Field texts that will not sound as the user most likely meant: read as something else, or
// making no tone or a different one. The window takes them silently; the other front ends say
// so, each naming the field in its own way.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The form's three number fields, and the speed that stands for a dot length.
enum class NumberField { Dot, Frequency, Volume, Wpm };

struct FieldWarning {
    NumberField field;
    std::string typed;  // the field's text as given, UTF-8
    std::string said;   // what becomes of it: "is read as 1 ms: what follows the number is ignored"
};

// At most one warning per field, in the order dot length, frequency, volume; then one for a
// speed in words per minute, when one is given, that a dot of whole milliseconds cannot give.
std::vector<FieldWarning> FieldWarnings(const std::string& dotText, const std::string& frequencyText,
                                        const std::string& volumeText, std::optional<double> wpm = std::nullopt);
