// Field texts that will not sound as the user most likely meant: read as something else, or
// making no tone or a different one. The window takes them silently; the other front ends say
// so, each naming the field in its own way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "morse/keying.h"
#include "wav/sample_format.h"

// The form's three number fields, and the speed that stands for a dot length.
enum class NumberField { Dot, Frequency, Volume, Wpm };

struct FieldWarning {
    NumberField field;
    std::string typed;  // the field's text as given, UTF-8
    std::string said;   // what becomes of it: "is read as 1 ms: what follows the number is ignored"
};

// At most one warning per field, in the order dot length, frequency, volume; then one for a
// speed in words per minute, when one is given, that a dot of whole milliseconds cannot give.
// `exactTone` gives the format of a run in the exact tone (exact_tone.h); none for the window's
// tone.
std::vector<FieldWarning> FieldWarnings(const std::string& dotText, const std::string& frequencyText,
                                        const std::string& volumeText, std::optional<double> wpm = std::nullopt,
                                        const std::optional<SoundFormat>& exactTone = std::nullopt);

// What becomes of a rise longer than half a dot, to which each element's edges are held:
// "is longer than half a dot: each edge takes 30 ms, half the shortest element"; none when it is
// taken as asked.
std::optional<std::string> RiseWarning(const Rise& rise, int32_t rate);
