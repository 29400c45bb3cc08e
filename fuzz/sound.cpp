// The request's sound beyond the window's: any rate, width, rise, pad and noise on arbitrary
// message bytes and numbers, made whole by Synthesize and block by block by SynthesisStream.
//
// The input is cut at zero bytes into parts: the message, then the dot length, frequency and
// volume as numbers, the rate, the bits, the rise and the pad in milliseconds, the noise's ratio
// in decibels (empty: no noise) and its seed, the command line's timing ("w" keeps word gaps, a
// number after it is a Farnsworth overall speed), and the block size of the stream. A part that
// is absent keeps its default: "SOS" alone is a run at the window's fields in the exact tone.
//
// Checked: the outcome is the plan's, a written file's header describes its format and sample
// count, the stream's blocks hold the image's samples, and every character's span lies between
// the pads, in order.
#include <algorithm>
#include <charconv>
#include <string>

#include "fuzz_support.h"
#include "morse/synthesis.h"

namespace {

// Images up to 1 MiB: long enough for every edge and block boundary, short enough for many runs.
constexpr int64_t kMostBytes = int64_t{1} << 20;

template <typename Number>
Number Read(const std::vector<std::string_view>& parts, std::size_t at, Number otherwise) {
    if (at >= parts.size()) return otherwise;
    Number value = otherwise;
    const auto [end, error] = std::from_chars(parts[at].data(), parts[at].data() + parts[at].size(), value);
    return error == std::errc() && end != parts[at].data() ? value : otherwise;
}

uint32_t Le32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

SynthesisRequest RequestOf(const std::vector<std::string_view>& parts) {
    SynthesisRequest request;
    request.message = parts[0];
    request.dotLength = Read<int32_t>(parts, 1, 100);
    request.frequency = Read<int32_t>(parts, 2, 1000);
    request.volume = Read<int32_t>(parts, 3, 50);
    request.format = {Read<int32_t>(parts, 4, 8000), Read<uint16_t>(parts, 5, 8)};
    request.keying = {true, Read<double>(parts, 6, 0.0)};
    request.padMilliseconds = Read<double>(parts, 7, 0.0);
    if (parts.size() > 8 && !parts[8].empty())
        request.noise = PracticeNoise{Read<double>(parts, 8, 0.0), Read<uint64_t>(parts, 9, 0)};
    if (parts.size() > 10 && !parts[10].empty() && parts[10][0] == 'w') {
        request.style.words = WordBreaks::Kept;
        request.style.overallWpm = Read<double>({parts[10].substr(1)}, 0, 0.0);
    }
    request.wantSpans = true;
    return request;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzRuntimeStarted();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int32_t startUp = FuzzRuntimeStarted();
    const std::vector<std::string_view> parts = FuzzParts(FuzzBytes(data, size), 12);
    const SynthesisRequest request = RequestOf(parts);
    const double wpm = request.style.overallWpm;
    // Farnsworth timing only below the character speed, as the command line checks; a noise
    // level the command line takes.
    if (wpm != 0.0 && !(wpm > 0.0 && request.dotLength > 0 && wpm < WordsPerMinute(request.dotLength))) return 0;
    if (request.noise && !(request.noise->snrDecibels >= -30.0 && request.noise->snrDecibels <= 100.0)) return 0;
    {
        const SynthesisPlan plan = SynthesisPlanMake(request);
        const int64_t bytes = int64_t{plan.sampleCount} * plan.format.BytesPerSample();
        if (plan.refusal || bytes > kMostBytes) return 0;
        const Synthesis audio = Synthesize(request);
        FUZZ_CHECK(audio.outcome == SynthesisOutcome::Written);
        const auto file = audio.Bytes();
        FUZZ_CHECK(Le32(&file[24]) == static_cast<uint32_t>(plan.format.rate));
        FUZZ_CHECK(file[34] == plan.format.bits);
        FUZZ_CHECK(Le32(&file[40]) == static_cast<uint32_t>(bytes));

        const auto block = std::clamp<std::size_t>(Read<std::size_t>(parts, 11, 4096), 1, 1 << 16);
        std::vector<CharacterSpan> spans;
        SynthesisStream stream(request, plan, &spans);
        const auto samples = AudioImageSamples(audio.image);
        std::size_t at = 0;
        for (auto piece = stream.Next(block); !piece.empty(); piece = stream.Next(block)) {
            FUZZ_CHECK(at + piece.size() <= samples.size() &&
                       std::equal(piece.begin(), piece.end(), samples.begin() + static_cast<std::ptrdiff_t>(at)));
            at += piece.size();
        }
        FUZZ_CHECK(at == samples.size());
        int64_t previous = plan.padSamples;
        for (const CharacterSpan& span : spans) {
            FUZZ_CHECK(previous <= span.start && span.start <= span.end);
            previous = span.end;
        }
        FUZZ_CHECK(previous <= plan.sampleCount - plan.padSamples);
    }
    FUZZ_CHECK(RegistryCount() == startUp);
    return 0;
}
