#include "morse/synthesis.h"

#include <cmath>
#include <new>

#include "morse/nearest_whole.h"

namespace {

// Beyond any file: what an overflowing length is taken as.
constexpr int64_t kBeyondAnyFile = INT64_MAX / 2;

// Where the message's last element ends, for a unit and gaps in any measure (samples or ticks):
// 0 when nothing is left to sound, kBeyondAnyFile when the count leaves 64 bits.
int64_t MessageLength(const Measurement& m, int64_t unit, int64_t characterGap, int64_t wordGap) {
    if (m.characters == 0) return 0;
    int64_t parts[3];
    int64_t total = 0;
    if (__builtin_mul_overflow(m.elementUnits, unit, &parts[0]) ||
        __builtin_mul_overflow(m.CharacterGaps(), characterGap, &parts[1]) ||
        __builtin_mul_overflow(m.wordBreaks, wordGap, &parts[2]) ||
        __builtin_add_overflow(parts[0], parts[1], &total) || __builtin_add_overflow(total, parts[2], &total) ||
        total > kBeyondAnyFile) {
        return kBeyondAnyFile;
    }
    return total;
}

// The message's length in samples at the format's rate, counted in ticks.
int64_t MessageSamples(const Measurement& m, const TickTiming& ticks) {
    const int64_t total = MessageLength(m, ticks.unit, ticks.characterGap, ticks.wordGap);
    return total == kBeyondAnyFile ? total : SampleAtTick(total);
}

// The pad in samples, the nearest to the asked time; none for 0, a negative time or not a number.
int64_t PadSamples(double milliseconds, int32_t rate) {
    const double samples = milliseconds * rate / 1000.0;
    if (!(samples > 0.0)) return 0;
    return samples < static_cast<double>(kBeyondAnyFile) ? NearestInt64(samples) : kBeyondAnyFile;
}

// The window's image size is unit count x dot length x samples per millisecond in 32 bits that
// wrap; any other timing counts its exact length. A size that wrapped, or that went negative,
// differs from the exact length in 64 bits: such a run is refused before any image is made, so
// that no empty or broken file is offered. A dot length of 0 needs no checking: every element
// and gap is empty, and the file is the header alone (with the pads, if asked for), whatever
// the message holds.
void Decide(SynthesisPlan& plan, const SynthesisRequest& request) {
    const Timing& t = plan.timing;
    const int64_t exact = request.UsesExactTone() ? MessageSamples(plan.measurement, plan.ticks)
                                                  : MessageLength(plan.measurement, t.unit, t.characterGap, t.wordGap);
    int64_t count = exact;
    if (request.style.IsWindowTiming() && !request.UsesExactTone()) {
        count = SampleCount(static_cast<int32_t>(plan.measurement.Units()), request.dotLength);
    }
    const bool fits = count == exact && count >= 0 && plan.padSamples <= plan.format.MaxSamples() &&
                      count <= plan.format.MaxSamples() - 2 * plan.padSamples;
    plan.sampleCount = fits ? static_cast<int32_t>(count + 2 * plan.padSamples) : -1;
    if (request.dotLength == 0) {
        const bool padsFit = plan.padSamples <= plan.format.MaxSamples() / 2;
        plan.sampleCount = padsFit ? static_cast<int32_t>(2 * plan.padSamples) : -1;
        if (plan.sampleCount < 0) plan.refusal = SynthesisOutcome::TooLong;
        return;
    }
    if (plan.measurement.characters == 0) {
        plan.refusal = SynthesisOutcome::NothingToSound;
    } else if (request.dotLength < 0 || !fits) {
        plan.refusal = SynthesisOutcome::TooLong;
    }
}

// The window's sound, by the window's renderer.
void RenderWindowSound(const SynthesisRequest& request, Synthesis& made) {
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

// Anything beyond it: the stream, filling the whole image at once.
void RenderStream(const SynthesisRequest& request, Synthesis& made) {
    const SynthesisPlan& plan = made.plan;
    if (request.wantSpans) made.spans.reserve(static_cast<std::size_t>(plan.measurement.characters));
    SynthesisStream stream(request, plan, request.wantSpans ? &made.spans : nullptr);
    made.image = AudioImageAllocate(plan.sampleCount, plan.format);
    if (made.image.block == nullptr) return;
    stream.Fill(AudioImageSamples(made.image));
    made.outcome = SynthesisOutcome::Written;
}

}  // namespace

bool SynthesisRequest::UsesExactTone() const {
    return keying.exactPitch || keying.riseMilliseconds > 0.0 || SoundFormatNormalized(format) != kWindowSoundFormat;
}

Timing RunStyle::TimingFor(int32_t dotLength) const {
    if (overallWpm > 0.0) return FarnsworthTiming(dotLength, overallWpm);
    return words == WordBreaks::Kept ? WordGapTiming(dotLength) : DefaultTiming(dotLength);
}

TickTiming RunStyle::TicksFor(int32_t dotLength, int32_t rate) const {
    if (overallWpm > 0.0) return FarnsworthTicks(dotLength, overallWpm, rate);
    return words == WordBreaks::Kept ? WordGapTicks(dotLength, rate) : DefaultTicks(dotLength, rate);
}

SynthesisPlan SynthesisPlanMake(const SynthesisRequest& request) {
    SynthesisPlan plan;
    // No value holds more, and no WAV file has room for the samples of so many characters.
    if (request.message.size() > kTextMaxLength) {
        plan.refusal = SynthesisOutcome::TooLong;
        return plan;
    }
    plan.cleaned = TextVar(TextFromBytes(request.message));
    plan.measurement = MeasureMessage(plan.cleaned, request.style.words, CodeTableOf(request.codes));
    plan.timing = request.style.TimingFor(request.dotLength);
    plan.format = request.UsesExactTone() ? SoundFormatNormalized(request.format) : kWindowSoundFormat;
    plan.ticks = request.style.TicksFor(request.dotLength, plan.format.rate);
    plan.padSamples = PadSamples(request.padMilliseconds, plan.format.rate);
    if (request.UsesExactTone()) {
        plan.rise = RiseFor(request.keying.riseMilliseconds, plan.format.rate, plan.ticks.unit);
    }
    Decide(plan, request);
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
        if (request.IsWindowSound()) {
            RenderWindowSound(request, made);
        } else {
            RenderStream(request, made);
        }
    } catch (const std::bad_alloc&) {
        AudioImageRelease(made.image);
        made.spans = {};
        made.outcome = SynthesisOutcome::OutOfMemory;
    }
    return made;
}

SynthesisStream::SynthesisStream(const SynthesisRequest& request, const SynthesisPlan& plan,
                                 std::vector<CharacterSpan>* spans)
    : format_(plan.format),
      windowTone_(request.UsesExactTone() ? Tone{} : ToneMake(request.frequency, request.volume)),
      exactTone_(request.UsesExactTone()
                     ? ExactToneMake(request.frequency, request.volume, plan.format, plan.rise.samples)
                     : ExactTone{}),
      stream_(plan.cleaned.Get(), CodeTableOf(request.codes), plan.ticks, {plan.padSamples, plan.sampleCount},
              {&windowTone_, request.UsesExactTone() ? &exactTone_ : nullptr, plan.format},
              request.noise ? std::optional<NoiseSource>(NoiseSource(
                                  *request.noise, ExactToneAmplitude(request.volume, plan.format), plan.format))
                            : std::nullopt,
              spans) {}

std::span<const uint8_t> SynthesisStream::Next(std::size_t samples) {
    const auto width = static_cast<std::size_t>(format_.BytesPerSample());
    block_.resize(samples * width);
    const int64_t made = stream_.Fill(block_);
    return std::span<const uint8_t>(block_).first(static_cast<std::size_t>(made) * width);
}
