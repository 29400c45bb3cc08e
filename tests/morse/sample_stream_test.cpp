#include "morse/sample_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morse/synthesis.h"

namespace {

struct Streamed {
    std::vector<uint8_t> samples;
    std::vector<CharacterSpan> spans;
};

// The request's samples read block by block through SynthesisStream, `block` samples at a time.
Streamed StreamInBlocks(const SynthesisRequest& request, std::size_t block) {
    const SynthesisPlan plan = SynthesisPlanMake(request);
    Streamed made;
    SynthesisStream stream(request, plan, &made.spans);
    for (auto piece = stream.Next(block); !piece.empty(); piece = stream.Next(block)) {
        made.samples.insert(made.samples.end(), piece.begin(), piece.end());
    }
    return made;
}

std::vector<uint8_t> ImageSamples(const Synthesis& audio) {
    const auto samples = AudioImageSamples(audio.image);
    return {samples.begin(), samples.end()};
}

// The window's renderer is the oracle: the stream walks the same elements with the same tone,
// whatever the timing, and a block boundary may fall anywhere, inside an element or a gap.
TEST(SampleStream, TheWindowsSoundInBlocksIsTheWindowsImage) {
    struct Case {
        std::string message;
        RunStyle style;
        int32_t dot;
        int32_t frequency;
    };
    const Case cases[] = {
        {"SOS", {}, 100, 1000},
        {"PARIS  CQ 5", {WordBreaks::Kept, 0.0}, 7, 700},
        {"AB  E", {WordBreaks::Kept, 10.0}, 60, 600},
        {"\xB2\xDB\xCA (1)", {}, 3, 9000},  // half-width katakana; a frequency without a tone
        {"E", {}, 0, 1000},
        {"SOS", {}, 0, 1000},  // no samples at all: each character still has its span
    };
    for (const Case& c : cases) {
        SynthesisRequest request;
        request.message = c.message;
        request.dotLength = c.dot;
        request.frequency = c.frequency;
        request.volume = 50;
        request.style = c.style;
        request.wantSpans = true;
        ASSERT_TRUE(request.IsWindowSound());
        const Synthesis image = Synthesize(request);
        ASSERT_EQ(image.outcome, SynthesisOutcome::Written) << c.message;
        for (const std::size_t block : {std::size_t{1}, std::size_t{13}, std::size_t{4096}, std::size_t{1} << 20}) {
            const Streamed streamed = StreamInBlocks(request, block);
            EXPECT_EQ(streamed.samples, ImageSamples(image)) << c.message << ", blocks of " << block;
            ASSERT_EQ(streamed.spans.size(), image.spans.size()) << c.message;
            for (std::size_t k = 0; k < image.spans.size(); ++k) {
                EXPECT_EQ(streamed.spans[k].start, image.spans[k].start) << c.message << ", character " << k;
                EXPECT_EQ(streamed.spans[k].end, image.spans[k].end) << c.message << ", character " << k;
            }
        }
    }
}

// The blocks of an encoder get the samples of the WAV image, noise and edges included: the noise
// follows the samples in order, and an edge cut by a block goes on in the next.
TEST(SampleStream, BlocksOfAnySizeGiveTheImagesSamples) {
    SynthesisRequest request;
    request.message = "CQ DE JA1";
    request.dotLength = 27;
    request.frequency = 650;
    request.volume = 90;
    request.style.words = WordBreaks::Kept;
    request.format = {44100, 16};
    request.keying.riseMilliseconds = 5.0;
    request.padMilliseconds = 12.5;
    request.noise = PracticeNoise{12.0, 99};
    const Synthesis image = Synthesize(request);
    ASSERT_EQ(image.outcome, SynthesisOutcome::Written);
    for (const std::size_t block : {std::size_t{1}, std::size_t{997}, std::size_t{65536}}) {
        EXPECT_EQ(StreamInBlocks(request, block).samples, ImageSamples(image)) << "blocks of " << block;
    }
}

}  // namespace
