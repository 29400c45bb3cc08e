#include "web/page_run.h"

#include <new>

#include "frontend/decimal_text.h"
#include "frontend/keying_choice.h"
#include "frontend/typed_message.h"
#include "morse/field_text.h"

namespace {

// The run's timing from the speed fields, and the dot length's text: a speed stands for the dot
// length it gives, typed into the field as a whole number. Farnsworth timing is defined over
// words, "PARIS " with its word gap: it keeps words apart.
std::optional<SpeedProblem> TimingFromSpeeds(const PageFields& fields, std::string& dotText, RunStyle& style,
                                             std::optional<double>& wpm) {
    using Why = SpeedProblem::Why;
    constexpr auto kWpm = SpeedProblem::Field::Wpm;
    constexpr auto kFarnsworth = SpeedProblem::Field::Farnsworth;
    dotText = fields.dot;
    style.words = fields.wordGaps ? WordBreaks::Kept : WordBreaks::Dropped;
    if (!fields.wpm.empty()) {
        wpm = SpeedFromText(fields.wpm);
        if (!wpm) return SpeedProblem{kWpm, Why::NotASpeed};
        switch (WpmFitOf(*wpm)) {
            case WpmFit::DotBelowOneMillisecond: return SpeedProblem{kWpm, Why::DotBelowOneMillisecond};
            case WpmFit::DotBeyondField: return SpeedProblem{kWpm, Why::DotBeyondField};
            case WpmFit::Fits: break;
        }
        dotText = std::to_string(DotMillisecondsForWpm(*wpm));
    }
    if (fields.farnsworth.empty()) return std::nullopt;
    const auto overall = SpeedFromText(fields.farnsworth);
    if (!overall) return SpeedProblem{kFarnsworth, Why::NotASpeed};
    const int32_t dot = FieldTextRead(dotText).value;
    switch (FarnsworthFitOf(dot, *overall)) {
        case FarnsworthFit::NoDot: return SpeedProblem{kFarnsworth, Why::NoDot};
        case FarnsworthFit::NotBelowCharacterSpeed:
            return SpeedProblem{kFarnsworth, Why::NotBelowCharacterSpeed, WordsPerMinute(dot)};
        case FarnsworthFit::WordGapBeyondFile: return SpeedProblem{kFarnsworth, Why::WordGapBeyondFile};
        case FarnsworthFit::Fits: break;
    }
    style.overallWpm = *overall;
    style.words = WordBreaks::Kept;
    return std::nullopt;
}

// The keying of the rise and exact pitch fields; none when the rise is no time in milliseconds.
// The page makes the window's format: only the keying may differ from the window's sound.
std::optional<Keying> KeyingOf(const PageFields& fields) {
    std::optional<double> rise;
    if (!fields.rise.empty()) {
        rise = DecimalFromText(fields.rise);
        if (!rise) return std::nullopt;
    }
    return KeyingAsked(fields.exactPitch, rise, /*otherFormat=*/false);
}

PageOutcome OutcomeOf(SynthesisOutcome outcome) {
    switch (outcome) {
        case SynthesisOutcome::Written: return PageOutcome::Written;
        case SynthesisOutcome::NothingToSound: return PageOutcome::NothingToSound;
        case SynthesisOutcome::TooLong: return PageOutcome::TooLong;
        case SynthesisOutcome::OutOfMemory: break;
    }
    return PageOutcome::OutOfMemory;
}

// The labels of a written run, as files and as the picture's marks and spans.
void Describe(const TypedMessage& message, PageRun& run) {
    const auto into = [](std::string& file) {
        return [&file](std::string_view piece) {
            file += piece;
            return true;
        };
    };
    LabelTrackWriter subRip(LabelFormat::SubRip, into(run.subRip));
    LabelTrackWriter webVtt(LabelFormat::WebVtt, into(run.webVtt));
    run.spans.reserve(run.audio->spans.size() * 2);
    CharacterLabelsEach(message, run.audio->spans, [&](const Label& label) {
        // Every sample position of an image lies below its 32-bit sample count.
        run.spans.push_back(static_cast<int32_t>(label.startSample));
        run.spans.push_back(static_cast<int32_t>(label.endSample));
        run.marks.append(label.text).append("\t").append(label.elements).append("\n");
        return subRip.Add(label) && webVtt.Add(label);
    });
    subRip.Finish();
    webVtt.Finish();
}

void MakeAudio(const PageFields& fields, const std::string& dotText, const RunStyle& style, const Keying& keying,
               PageRun& run) {
    const bool wordGaps = style.words == WordBreaks::Kept;
    const CodeSet codes = fields.punctuation ? CodeSet::Punctuation : CodeSet::Window;
    const TypedMessage message = TypedMessageFrom(
        fields.message, {MessageEncoding::Utf8, fields.foldKana, wordGaps, /*mapCharacters=*/true, codes});
    run.leftOut = message.text.leftOut;
    SynthesisRequest request;
    request.message = message.text.cp932;
    request.dotLength = FieldTextRead(dotText).value;
    request.frequency = FieldTextRead(fields.frequency).value;
    request.volume = FieldTextRead(fields.volume).value;
    request.style = style;
    request.codes = codes;
    request.keying = keying;
    request.wantSpans = true;
    run.audio.emplace(Synthesize(request));
    run.outcome = OutcomeOf(run.audio->outcome);
    if (run.outcome == PageOutcome::Written) Describe(message, run);
}

}  // namespace

PageRun PageRunMake(const PageFields& fields) {
    PageRun run;
    try {
        std::string dotText;
        RunStyle style;
        std::optional<double> wpm;
        run.speedProblem = TimingFromSpeeds(fields, dotText, style, wpm);
        if (run.speedProblem) {
            run.outcome = PageOutcome::SpeedRefused;
            run.refusedText = run.speedProblem->field == SpeedProblem::Field::Wpm ? fields.wpm : fields.farnsworth;
            return run;
        }
        const std::optional<Keying> keying = KeyingOf(fields);
        if (!keying) {
            run.outcome = PageOutcome::RiseRefused;
            run.refusedText = fields.rise;
            return run;
        }
        run.warnings =
            FieldWarnings(dotText, fields.frequency, fields.volume, wpm, ExactToneFormat(*keying, kWindowSoundFormat));
        run.riseWarning = RiseWarningOf(*keying, kWindowSoundFormat, style, dotText);
        MakeAudio(fields, dotText, style, *keying, run);
    } catch (const std::bad_alloc&) {
        PageRun refused;
        refused.outcome = PageOutcome::OutOfMemory;
        return refused;
    }
    return run;
}
