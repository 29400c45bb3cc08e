#include "morse/synthesis.h"

#include <cstring>
#include <new>

#include "morse/parameters.h"
#include "morse/tone.h"

namespace {

TextVar TextOfBytes(std::string_view bytes) {
    TextVar text(TextNew(static_cast<int32_t>(bytes.size())));
    if (!bytes.empty()) std::memcpy(text.Get(), bytes.data(), bytes.size());
    return text;
}

// The window's image size is unit count x dot length x samples per millisecond in 32 bits that
// wrap; any other timing counts its exact length. A size that wrapped, or that went negative,
// differs from the exact length in 64 bits: such a run is refused before any image is made, so
// that no empty or broken file is offered. A dot length of 0 needs no checking: every element
// and gap is empty, and the file is the header alone, whatever the message holds.
void Decide(SynthesisPlan& plan, int32_t dotLength, const RunStyle& style) {
    const int64_t exact = plan.measurement.Samples(plan.timing);
    if (style.IsWindowTiming()) {
        plan.sampleCount = SampleCount(static_cast<int32_t>(plan.measurement.Units()), dotLength);
    } else {
        plan.sampleCount = exact >= 0 && exact <= INT32_MAX ? static_cast<int32_t>(exact) : -1;
    }
    if (dotLength == 0) return;
    if (plan.measurement.characters == 0) {
        plan.refusal = SynthesisOutcome::NothingToSound;
    } else if (dotLength < 0 || exact != plan.sampleCount) {
        plan.refusal = SynthesisOutcome::TooLong;
    }
}

void Render(const SynthesisRequest& request, Synthesis& made) {
    const SynthesisPlan& plan = made.plan;
    const Tone tone = ToneMake(request.frequency, request.volume);
    made.image = AudioImageAllocate(plan.sampleCount);
    // The size fits a WAV file, so a missing block means the heap could not give it.
    if (made.image.block == nullptr) return;
    if (request.wantSpans) made.spans.reserve(static_cast<std::size_t>(plan.measurement.characters));
    RenderMessage(plan.cleaned.Get(), AudioImageSamples(made.image), plan.timing, tone,
                  request.wantSpans ? &made.spans : nullptr, CodeTableOf(request.codes));
    made.outcome = SynthesisOutcome::Written;
}

}  // namespace

Timing RunStyle::TimingFor(int32_t dotLength) const {
    if (overallWpm > 0.0) return FarnsworthTiming(dotLength, overallWpm);
    return words == WordBreaks::Kept ? WordGapTiming(dotLength) : DefaultTiming(dotLength);
}

SynthesisPlan SynthesisPlanMake(const SynthesisRequest& request) {
    SynthesisPlan plan;
    plan.cleaned = TextOfBytes(request.message);
    plan.measurement = MeasureMessage(plan.cleaned, request.style.words, CodeTableOf(request.codes));
    plan.timing = request.style.TimingFor(request.dotLength);
    Decide(plan, request.dotLength, request.style);
    return plan;
}

Synthesis::Synthesis(Synthesis&& other) noexcept
    : outcome(other.outcome), plan(std::move(other.plan)), image(other.image), spans(std::move(other.spans)) {
    other.image = AudioImage{};
}

Synthesis Synthesize(const SynthesisRequest& request) {
    Synthesis made;
    try {
        made.plan = SynthesisPlanMake(request);
        if (made.plan.refusal) {
            made.outcome = *made.plan.refusal;
            return made;
        }
        Render(request, made);
    } catch (const std::bad_alloc&) {
        AudioImageRelease(made.image);
        made.spans = {};
        made.outcome = SynthesisOutcome::OutOfMemory;
    }
    return made;
}
