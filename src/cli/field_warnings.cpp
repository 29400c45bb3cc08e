#include "cli/field_warnings.h"

#include <cmath>
#include <cstdio>

#include "cli/message_text.h"
#include "morse/parameters.h"
#include "morse/timing.h"
#include "morse/tone.h"
#include "runtime/number_text.h"

namespace {

// A pitch further than a quarter tone from what was asked is heard as a different note.
const double kQuarterTone = std::pow(2.0, 1.0 / 24.0);
// A speed further than this share from what was asked is not the speed of the lesson.
constexpr double kSpeedTolerance = 0.01;

// A field text as the window reads it: a "+" joined in front, the leading number, its whole part.
struct FieldReading {
    int32_t value = 0;
    bool trailing = false;  // characters follow the number, and are ignored
    bool fraction = false;  // the number had a fraction, which is dropped
};

FieldReading Read(const std::string& text) {
    const std::string joined = "+" + text;
    std::size_t used = 0;
    const double number = TextToNumber(joined.c_str(), &used);
    FieldReading reading;
    reading.value = FieldNumberFromDouble(number);
    reading.trailing = used < joined.size();
    reading.fraction = number != std::trunc(number);
    return reading;
}

std::string Quoted(const char* option, const std::string& text) {
    return std::string(option) + " '" + SafeToShow(text) + "'";
}

std::string Warning(const std::string& what) { return "velmora-cli: warning: " + what + "\n"; }

// The texts that are read as another number than the one written.
std::string ReadAsWarning(const char* option, const std::string& text, const FieldReading& reading,
                          const char* unit) {
    const std::string value = std::to_string(reading.value) + unit;
    if (reading.trailing) return Warning(Quoted(option, text) + " is read as " + value + ": what follows the number is ignored");
    if (reading.fraction) return Warning(Quoted(option, text) + " is read as " + value + ": the fraction is dropped");
    return {};
}

std::string Hertz(double hertz) {
    char text[32];
    (void)std::snprintf(text, sizeof text, "%.1f Hz", hertz);  // at most 8000.0 Hz
    return text;
}

std::string DotWarning(const std::string& text) {
    const FieldReading dot = Read(text);
    if (dot.value == 0 && (text.empty() || text.find_first_not_of('0') != std::string::npos)) {
        return Warning(Quoted("--dot", text) + " is read as 0 ms: the file holds no samples");
    }
    if (dot.value < 0) return {};  // refused before any file, with its own message
    return ReadAsWarning("--dot", text, dot, " ms");
}

std::string FrequencyWarning(const std::string& text, int32_t volume) {
    const FieldReading frequency = Read(text);
    const ToneHeard heard = ToneAsHeard(frequency.value, volume);
    const std::string asked = Quoted("--freq", text);
    if (heard.period == 0) return Warning(asked + " gives no tone: only 1 to 8000 Hz have one, and the elements are silent");
    if (!heard.audible && volume != 0) {
        return Warning(asked + " is silent: at 8000 samples per second its cycle is " + std::to_string(heard.period) +
                       (heard.period == 1 ? " sample" : " samples") + " long, too short to carry a tone");
    }
    if (const std::string readAs = ReadAsWarning("--freq", text, frequency, " Hz"); !readAs.empty()) return readAs;
    const double ratio = heard.hertz / frequency.value;
    if (ratio > kQuarterTone || ratio < 1.0 / kQuarterTone) {
        return Warning(asked + " sounds as " + Hertz(heard.hertz) + ": a cycle is a whole number of samples (" +
                       std::to_string(heard.period) + " here)");
    }
    return {};
}

std::string VolumeWarning(const std::string& text) {
    const FieldReading volume = Read(text);
    const std::string asked = Quoted("--volume", text);
    if (volume.value == 0) return Warning(asked + " is read as 0: every element is silent");
    if (volume.value > 127 || volume.value < -127) {
        return Warning(asked + " is read as " + std::to_string(volume.value) +
                       ", beyond 127: the loudest samples wrap around and sound distorted");
    }
    return ReadAsWarning("--volume", text, volume, "");
}

// A speed stands for a dot of whole milliseconds, which may be heard at another speed.
std::string WpmWarning(const CliOptions& options) {
    if (!options.wpm) return {};
    const double asked = *options.wpm;
    const int32_t dot = DotMillisecondsForWpm(asked);
    const double heard = WordsPerMinute(dot);
    if (std::abs(heard - asked) <= kSpeedTolerance * asked) return {};
    char speeds[96];
    (void)std::snprintf(speeds, sizeof speeds, "--wpm %.6g sounds as %.6g WPM", asked, heard);  // a dozen characters each
    return Warning(std::string(speeds) + ": a dot is a whole number of milliseconds (" + std::to_string(dot) +
                   " ms here)");
}

}  // namespace

std::vector<std::string> FieldWarnings(const CliOptions& options, const std::string& dotText) {
    std::vector<std::string> warnings;
    for (std::string line : {DotWarning(dotText), FrequencyWarning(options.frequency, Read(options.volume).value),
                             VolumeWarning(options.volume), WpmWarning(options)}) {
        if (!line.empty()) warnings.push_back(std::move(line));
    }
    return warnings;
}
