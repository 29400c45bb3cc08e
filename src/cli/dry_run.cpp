#include "cli/dry_run.h"

#include <algorithm>
#include <cstdio>

#include "frontend/code_page.h"
#include "morse/exact_tone.h"
#include "morse/message_characters.h"
#include "morse/tone.h"
#include "wav/audio_image.h"

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    (void)std::snprintf(text, sizeof text, format, value);  // the report's numbers take a dozen characters
    return text;
}

// The elements character by character, with " / " where a word gap parts two words.
std::string Elements(const char* message, const CodeTable& codes) {
    std::string elements;
    bool wordBreak = false;
    for (std::string_view rest = TextView(message); !rest.empty();) {
        const MessageCharacter character = MessageCharacterAt(rest, codes);
        rest.remove_prefix(character.size);
        if (character.kind != MessageCharacter::Kind::Sounded) {
            wordBreak = wordBreak || character.kind == MessageCharacter::Kind::WordSpace;
            continue;
        }
        if (!elements.empty()) elements += wordBreak ? " / " : " ";
        wordBreak = false;
        elements += ElementsOf(character.letters, codes);
    }
    return elements;
}

// Four significant digits, and a long gap in whole milliseconds: never an exponent.
std::string Milliseconds(int64_t ticks, int32_t rate) {
    const double milliseconds = static_cast<double>(ticks) / rate;  // ticks / 1000 samples, at rate / 1000 a millisecond
    return milliseconds < 10000.0 ? Format("%.4g ms", milliseconds) : Format("%.0f ms", milliseconds);
}

std::string Counted(int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// What the listener hears, taken from the samples the tone writer makes.
std::string WindowToneLine(int32_t frequency, int32_t volume) {
    const ToneHeard heard = ToneAsHeard(frequency, volume);
    const std::string asked = std::to_string(static_cast<uint32_t>(frequency)) + " Hz";
    if (heard.period == 0) return asked + ": no tone (0 and above 8000 Hz are silent)";
    if (!heard.audible) return asked + ": no tone (every sample is silence at this frequency and volume)";
    return asked + " sounds as " + Format("%.1f Hz", heard.hertz) + " (a period of " +
           Counted(heard.period, "sample") + "), volume " + std::to_string(volume);
}

std::string ToneLine(const SynthesisRequest& request, const SynthesisPlan& plan) {
    if (!request.UsesExactTone()) return WindowToneLine(request.frequency, request.volume);
    const std::string asked = std::to_string(static_cast<uint32_t>(request.frequency)) + " Hz";
    if (!ExactToneSounds(request.frequency, plan.format)) {
        return asked + ": no tone (only 1 to " + std::to_string((plan.format.rate - 1) / 2) + " Hz have one at " +
               std::to_string(plan.format.rate) + " samples/s)";
    }
    return asked + " exactly, volume " + std::to_string(request.volume);
}

// The sound beyond the window's: format, edges, pads and noise.
std::string SoundLine(const SynthesisRequest& request, const SynthesisPlan& plan) {
    const int32_t rate = plan.format.rate;
    std::string line = std::to_string(plan.format.bits) + "-bit, " + std::to_string(rate) + " samples/s";
    if (request.UsesExactTone()) {
        line += plan.rise.samples > 0 ? ", edges of " + Milliseconds(plan.rise.samples * kTicksPerSample, rate) +
                                            " (raised cosine)"
                                      : ", keyed hard";
    }
    if (plan.padSamples > 0) {
        line += ", " + Milliseconds(plan.padSamples * kTicksPerSample, rate) + " of silence before and after";
    }
    if (request.noise) {
        line += ", noise at " + Format("%g dB", request.noise->snrDecibels) + " (seed " +
                std::to_string(request.noise->seed) + ")";
    }
    return line;
}

std::string SpeedLine(const SynthesisRequest& request) {
    const int32_t dot = request.dotLength;
    const std::string dotText = " (a dot of " + std::to_string(dot) + " ms";
    if (dot <= 0) return "none" + dotText + ")";
    if (request.style.overallWpm > 0.0) {
        return Format("%.4g WPM", request.style.overallWpm) + " overall, characters at " +
               Format("%.4g WPM", WordsPerMinute(dot)) + dotText + ", Farnsworth timing)";
    }
    return Format("%.4g WPM", WordsPerMinute(dot)) + dotText + ")";
}

}  // namespace

std::string DryRunReport(const SynthesisRequest& request, const SynthesisPlan& plan) {
    const Measurement& measured = plan.measurement;
    const int32_t dot = request.dotLength;
    std::string report;
    report += "message:  " + Utf8FromCp932(TextView(plan.cleaned.Get())) + "\n";
    report += "elements: " + Elements(plan.cleaned.Get(), CodeTableOf(request.codes)) + "\n";
    report += "units:    " + std::to_string(std::max<int64_t>(measured.Units(), 0)) + "\n";
    if (plan.refusal == SynthesisOutcome::NothingToSound) {
        report += "samples:  none (nothing to sound)\n";
    } else if (plan.refusal) {
        // With Farnsworth gaps or pads it may be they that do not fit: they are named too.
        std::string what = Counted(measured.Units(), "unit") + " with a dot of " + std::to_string(dot) + " ms";
        if (request.style.overallWpm > 0.0) {
            what += " and gaps for " + Format("%.4g WPM", request.style.overallWpm) + " overall";
        }
        if (plan.padSamples > 0) what += " and the silence around them";
        report += "samples:  none (" + what + " do not fit a WAV file)\n";
    } else {
        report += "samples:  " + std::to_string(plan.sampleCount) + " (a file of " +
                  std::to_string(WavFileSize(static_cast<uint32_t>(plan.sampleCount), plan.format)) + " bytes)\n";
        report += "duration: " + Format("%.3f s", plan.sampleCount / static_cast<double>(plan.format.rate)) + "\n";
    }
    report += "speed:    " + SpeedLine(request) + "\n";
    if (!request.style.IsWindowTiming() && dot > 0) {
        const int32_t rate = plan.format.rate;
        report += "gaps:     " + Milliseconds(plan.ticks.characterGap, rate) + " between characters";
        if (request.style.words == WordBreaks::Kept) {
            report += ", " + Milliseconds(plan.ticks.wordGap, rate) + " between words";
        }
        report += "\n";
    }
    report += "tone:     " + ToneLine(request, plan) + "\n";
    if (!request.IsWindowSound()) report += "sound:    " + SoundLine(request, plan) + "\n";
    return report;
}
