#include "cli/dry_run.h"

#include <algorithm>
#include <cstdio>

#include "cli/code_page.h"
#include "morse/code_table.h"
#include "morse/tone.h"
#include "wav/audio_image.h"

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    (void)std::snprintf(text, sizeof text, format, value);  // the report's numbers take a dozen characters
    return text;
}

// The elements character by character, with " / " where a word gap parts two words.
std::string Elements(const char* message) {
    std::string elements;
    bool wordBreak = false;
    for (unsigned char byte : TextUnsignedBytes(message)) {
        const CodeEntry* entry = CodeLookup(byte);
        if (entry == nullptr) {
            wordBreak = wordBreak || byte == ' ';
            continue;
        }
        if (!elements.empty()) elements += wordBreak ? " / " : " ";
        wordBreak = false;
        elements += entry->sequence;
    }
    return elements;
}

std::string Milliseconds(int64_t samples) { return Format("%.4g ms", static_cast<double>(samples) / kSamplesPerMillisecond); }

std::string Counted(int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// What the listener hears, taken from the samples the tone writer makes.
std::string ToneLine(int32_t frequency, int32_t volume) {
    const ToneHeard heard = ToneAsHeard(frequency, volume);
    const std::string asked = std::to_string(static_cast<uint32_t>(frequency)) + " Hz";
    if (heard.period == 0) return asked + ": no tone (0 and above 8000 Hz are silent)";
    if (!heard.audible) return asked + ": no tone (every sample is silence at this frequency and volume)";
    return asked + " sounds as " + Format("%.1f Hz", heard.hertz) + " (a period of " +
           Counted(heard.period, "sample") + "), volume " + std::to_string(volume);
}

}  // namespace

std::string DryRunReport(const CreateInputs& inputs, const RunStyle& style, std::optional<CreateOutcome> refusal) {
    const std::string cleaned = Utf8FromCp932(std::string_view(inputs.message.Get(), TextBytes(inputs.message.Get()).size()));
    std::string report;
    report += "message:  " + cleaned + "\n";
    report += "elements: " + Elements(inputs.message.Get()) + "\n";
    report += "units:    " + std::to_string(std::max<int64_t>(inputs.measurement.Units(), 0)) + "\n";
    if (refusal == CreateOutcome::NothingToSound) {
        report += "samples:  none (nothing to sound)\n";
    } else if (refusal) {
        report += "samples:  none (" + Counted(inputs.measurement.Units(), "unit") + " with a dot of " +
                  std::to_string(inputs.dotLength) + " ms do not fit a WAV file)\n";
    } else {
        report += "samples:  " + std::to_string(inputs.sampleCount) + " (a file of " +
                  std::to_string(WavFileSize(static_cast<uint32_t>(inputs.sampleCount))) + " bytes)\n";
        report += "duration: " + Format("%.3f s", inputs.sampleCount / double{kSamplesPerSecond}) + "\n";
    }
    if (inputs.dotLength <= 0) {
        report += "speed:    none (a dot of " + std::to_string(inputs.dotLength) + " ms)\n";
    } else if (style.overallWpm > 0.0) {
        report += "speed:    " + Format("%.4g WPM", style.overallWpm) + " overall, characters at " +
                  Format("%.4g WPM", WordsPerMinute(inputs.dotLength)) + " (a dot of " +
                  std::to_string(inputs.dotLength) + " ms, Farnsworth timing)\n";
    } else {
        report += "speed:    " + Format("%.4g WPM", WordsPerMinute(inputs.dotLength)) + " (a dot of " +
                  std::to_string(inputs.dotLength) + " ms)\n";
    }
    if (!style.IsWindowTiming() && inputs.dotLength > 0) {
        report += "gaps:     " + Milliseconds(inputs.timing.characterGap) + " between characters";
        if (style.words == WordBreaks::Kept) report += ", " + Milliseconds(inputs.timing.wordGap) + " between words";
        report += "\n";
    }
    report += "tone:     " + ToneLine(inputs.toneFrequency, inputs.volume) + "\n";
    return report;
}
