#include "web/page_report.h"

#include <cstdio>

#include "frontend/message_text.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

std::string Quoted(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            (void)std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));  // 6 characters
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string Number(double value) {
    char text[32];
    (void)std::snprintf(text, sizeof text, "%.17g", value);  // at most 24 characters
    return text;
}

const char* OutcomeName(PageOutcome outcome) {
    switch (outcome) {
        case PageOutcome::Written: return "written";
        case PageOutcome::NothingToSound: return "nothing-to-sound";
        case PageOutcome::TooLong: return "too-long";
        case PageOutcome::SpeedRefused: return "speed-refused";
        case PageOutcome::RiseRefused: return "rise-refused";
        case PageOutcome::OutOfMemory: break;
    }
    return "out-of-memory";
}

const char* FieldName(NumberField field) {
    switch (field) {
        case NumberField::Dot: return "dot";
        case NumberField::Frequency: return "frequency";
        case NumberField::Volume: return "volume";
        case NumberField::Wpm: break;
    }
    return "wpm";
}

std::string SpeedProblemJson(const SpeedProblem& problem) {
    using Why = SpeedProblem::Why;
    static constexpr const char* kWhy[] = {"not-a-speed", "dot-below-1-ms", "dot-beyond-field", "no-dot",
                                           "not-below-character-speed", "word-gap-beyond-file"};
    return std::string("{\"field\":") + (problem.field == SpeedProblem::Field::Wpm ? "\"wpm\"" : "\"farnsworth\"") +
           ",\"why\":\"" + kWhy[static_cast<int>(problem.why)] + "\",\"characterWpm\":" +
           Number(problem.why == Why::NotBelowCharacterSpeed ? problem.characterWpm : 0.0) + "}";
}

std::string WarningsJson(const std::vector<FieldWarning>& warnings) {
    std::string json = "[";
    for (const FieldWarning& w : warnings) {
        if (json.size() > 1) json += ",";
        json += std::string("{\"field\":\"") + FieldName(w.field) + "\",\"typed\":" + Quoted(SafeToShow(w.typed)) +
                ",\"said\":" + Quoted(w.said) + "}";
    }
    return json + "]";
}

// One line per distinct character, as velmora-cli says them, without its name in front.
std::string LeftOutJson(const std::vector<LeftOutCharacter>& leftOut) {
    const std::string report = LeftOutReport(leftOut, kLeftOutLinesShown, "");
    std::string json = "[";
    for (std::size_t at = 0; at < report.size();) {
        const std::size_t end = report.find('\n', at);
        if (json.size() > 1) json += ",";
        json += Quoted(report.substr(at, end - at));
        at = end == std::string::npos ? report.size() : end + 1;
    }
    return json + "]";
}

std::string MeasuresJson(const Synthesis& audio) {
    const SynthesisPlan& plan = audio.plan;
    return ",\"characters\":" + std::to_string(plan.measurement.characters) +
           ",\"samples\":" + std::to_string(plan.sampleCount) + ",\"bytes\":" + std::to_string(audio.Bytes().size()) +
           ",\"unitSamples\":" + std::to_string(plan.timing.unit);
}

}  // namespace

std::string PageReport(const PageRun& run) {
    std::string json = std::string("{\"outcome\":\"") + OutcomeName(run.outcome) + "\"";
    if (run.speedProblem) json += ",\"speedProblem\":" + SpeedProblemJson(*run.speedProblem);
    if (run.outcome == PageOutcome::SpeedRefused || run.outcome == PageOutcome::RiseRefused) {
        json += ",\"refusedTyped\":" + Quoted(SafeToShow(run.refusedText));
    }
    json += ",\"warnings\":" + WarningsJson(run.warnings);
    if (run.riseWarning) json += ",\"riseWarning\":" + Quoted(*run.riseWarning);
    json += ",\"leftOut\":" + LeftOutJson(run.leftOut);
    if (run.audio) json += MeasuresJson(*run.audio);
    return json + "}";
}
