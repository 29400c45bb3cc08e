#include "frontend/field_warnings.h"

#include <cmath>
#include <cstdio>

#include "morse/exact_tone.h"
#include "morse/field_text.h"
#include "morse/timing.h"
#include "morse/tone.h"

namespace {

// A pitch further than a quarter tone from what was asked is heard as a different note.
const double kQuarterTone = std::pow(2.0, 1.0 / 24.0);
// A speed further than this share from what was asked is not the speed of the lesson.
constexpr double kSpeedTolerance = 0.01;

FieldReading Read(const std::string& text) { return FieldTextRead(std::string_view(text)); }

// What a text read as another number than the one written becomes; none when it is read as written.
std::optional<std::string> ReadAs(const FieldReading& reading, const char* unit) {
    const std::string value = std::to_string(reading.value) + unit;
    if (reading.wrapped) return "is read as " + value + ": the number wraps around at 4294967296";
    if (reading.trailing) return "is read as " + value + ": what follows the number is ignored";
    if (reading.fraction) return "is read as " + value + ": the fraction is dropped";
    return std::nullopt;
}

std::string Hertz(double hertz) {
    char text[32];
    (void)std::snprintf(text, sizeof text, "%.1f Hz", hertz);  // at most 8000.0 Hz
    return text;
}

std::optional<std::string> DotSaid(const std::string& text) {
    const FieldReading dot = Read(text);
    if (dot.value == 0 && (text.empty() || text.find_first_not_of('0') != std::string::npos)) {
        return "is read as 0 ms: the file holds no samples";
    }
    if (dot.value < 0) return std::nullopt;  // refused before any file, with its own message
    return ReadAs(dot, " ms");
}

std::optional<std::string> FrequencySaid(const std::string& text, int32_t volume) {
    const FieldReading frequency = Read(text);
    const ToneHeard heard = ToneAsHeard(frequency.value, volume);
    if (heard.period == 0) return "gives no tone: only 1 to 8000 Hz have one, and the elements are silent";
    if (!heard.audible && volume != 0) {
        return "is silent: at 8000 samples per second its cycle is " + std::to_string(heard.period) +
               (heard.period == 1 ? " sample" : " samples") + " long, too short to carry a tone";
    }
    if (auto readAs = ReadAs(frequency, " Hz")) return readAs;
    const double ratio = heard.hertz / frequency.value;
    if (ratio > kQuarterTone || ratio < 1.0 / kQuarterTone) {
        return "sounds as " + Hertz(heard.hertz) + ": a cycle is a whole number of samples (" +
               std::to_string(heard.period) + " here)";
    }
    return std::nullopt;
}

// The exact tone has a pitch for every frequency below half the rate; it is silent elsewhere.
std::optional<std::string> ExactFrequencySaid(const std::string& text, SoundFormat format) {
    const FieldReading frequency = Read(text);
    if (!ExactToneSounds(frequency.value, format)) {
        return "gives no tone: at " + std::to_string(format.rate) + " samples per second only 1 to " +
               std::to_string((format.rate - 1) / 2) + " Hz have one, and the elements are silent";
    }
    return ReadAs(frequency, " Hz");
}

std::optional<std::string> VolumeSaid(const std::string& text, bool exactTone) {
    const FieldReading volume = Read(text);
    if (volume.value == 0) return "is read as 0: every element is silent";
    if (volume.value > 127 || volume.value < -127) {
        return "is read as " + std::to_string(volume.value) + ", beyond 127: the loudest samples " +
               (exactTone ? "are clipped" : "wrap around") + " and sound distorted";
    }
    return ReadAs(volume, "");
}

std::string Number(const char* format, double value) {
    char text[32];
    (void)std::snprintf(text, sizeof text, format, value);  // "%.6g": a dozen characters at most
    return text;
}

// A speed stands for a dot of whole milliseconds, which may be heard at another speed.
std::optional<std::string> WpmSaid(double asked) {
    const int32_t dot = DotMillisecondsForWpm(asked);
    const double heard = WordsPerMinute(dot);
    if (std::abs(heard - asked) <= kSpeedTolerance * asked) return std::nullopt;
    return "sounds as " + Number("%.6g", heard) + " WPM: a dot is a whole number of milliseconds (" +
           std::to_string(dot) + " ms here)";
}

}  // namespace

std::vector<FieldWarning> FieldWarnings(const std::string& dotText, const std::string& frequencyText,
                                        const std::string& volumeText, std::optional<double> wpm,
                                        const std::optional<SoundFormat>& exactTone) {
    std::vector<FieldWarning> warnings;
    const auto add = [&warnings](NumberField field, const std::string& typed, std::optional<std::string> said) {
        if (said) warnings.push_back({field, typed, std::move(*said)});
    };
    add(NumberField::Dot, dotText, DotSaid(dotText));
    add(NumberField::Frequency, frequencyText,
        exactTone ? ExactFrequencySaid(frequencyText, *exactTone)
                  : FrequencySaid(frequencyText, Read(volumeText).value));
    add(NumberField::Volume, volumeText, VolumeSaid(volumeText, exactTone.has_value()));
    if (wpm) add(NumberField::Wpm, Number("%.6g", *wpm), WpmSaid(*wpm));
    return warnings;
}

std::optional<std::string> RiseWarning(const Rise& rise, int32_t rate) {
    if (!rise.clamped) return std::nullopt;
    char edge[32];
    (void)std::snprintf(edge, sizeof edge, "%.4g ms", static_cast<double>(rise.samples) * 1000.0 / rate);
    return std::string("is longer than half a dot: each edge takes ") + edge + ", half the shortest element";
}
