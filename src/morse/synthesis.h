// One message made into audio, from plain values to the finished WAV image: what every front end
// calls. Deciding only: the caller chooses how to show the outcome and where the bytes go.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "morse/code_table.h"
#include "morse/exact_tone.h"
#include "morse/keying.h"
#include "morse/measure.h"
#include "morse/noise.h"
#include "morse/render.h"
#include "morse/sample_stream.h"
#include "morse/timing.h"
#include "morse/tone.h"
#include "runtime/text.h"
#include "wav/audio_image.h"

// How a run is timed beyond its dot length. The window's runs take the default: no word gaps,
// characters 3 units apart.
struct RunStyle {
    WordBreaks words = WordBreaks::Dropped;
    double overallWpm = 0.0;  // above 0: Farnsworth timing, the gaps stretched to this speed

    bool IsWindowTiming() const { return words == WordBreaks::Dropped && overallWpm <= 0.0; }
    Timing TimingFor(int32_t dotLength) const;
    TickTiming TicksFor(int32_t dotLength, int32_t rate) const;
};

// The window's fields and, for the other front ends, how the sound is made. The defaults of the
// last four are the window's sound, which its tone writer makes byte for byte.
struct SynthesisRequest {
    std::string_view message;  // code page 932 bytes, as typed
    int32_t dotLength = 0;     // milliseconds
    int32_t frequency = 0;     // hertz
    int32_t volume = 0;        // the sine's amplitude in sample steps; 0 to 127 keeps it in range
    RunStyle style;
    CodeSet codes = CodeSet::Window;  // the table in force: cleaning, measuring and rendering read it
    bool wantSpans = false;  // where each sounded character lies, for labels and pictures
    SoundFormat format;      // held to what the core makes (SoundFormatNormalized)
    Keying keying;
    double padMilliseconds = 0.0;  // silence before the first element and after the last
    std::optional<PracticeNoise> noise;

    // Whether the elements take the exact tone: asked for, or implied by a rise or a format
    // other than the window's.
    bool UsesExactTone() const;
    // Whether the window's renderer makes it as it is: its tone, format and nothing around it.
    bool IsWindowSound() const { return !UsesExactTone() && !(padMilliseconds > 0.0) && !noise; }
};

enum class SynthesisOutcome {
    Written,         // the image holds the audio
    NothingToSound,  // no character of the message has a code
    TooLong,         // the audio does not fit a WAV file (or the dot length is negative)
    OutOfMemory,     // it fits a WAV file, but the heap cannot give its block
};

// What a request makes, decided before any image exists.
struct SynthesisPlan {
    TextVar cleaned;  // the characters with a code, in order, and one blank between words when kept
    Measurement measurement;
    Timing timing;            // the window's rate
    TickTiming ticks;         // the format's rate: what a request beyond the window's sound is made with
    SoundFormat format;       // as made
    int64_t padSamples = 0;   // before the first element, and again after the last
    Rise rise;                // the exact tone's edges, as made
    int32_t sampleCount = 0;  // the samples of the image, pads included
    std::optional<SynthesisOutcome> refusal;  // NothingToSound or TooLong; none when it can be made
};

SynthesisPlan SynthesisPlanMake(const SynthesisRequest& request);

// The audio of one request. Owns its image, which it releases when it goes.
struct Synthesis {
    SynthesisOutcome outcome = SynthesisOutcome::OutOfMemory;
    SynthesisPlan plan;
    AudioImage image;                  // a block only when Written
    std::vector<CharacterSpan> spans;  // one per sounded character, when asked for

    Synthesis() = default;
    Synthesis(Synthesis&& other) noexcept;
    Synthesis& operator=(Synthesis&&) = delete;
    Synthesis(const Synthesis&) = delete;
    Synthesis& operator=(const Synthesis&) = delete;
    ~Synthesis() { AudioImageRelease(image); }

    // The WAV file: header, samples and any pad byte; empty unless Written.
    std::span<const uint8_t> Bytes() const { return AudioImageBytes(image); }
};

// Measures, decides and renders. A heap that cannot give a block, for the image or on the way,
// is the outcome OutOfMemory, never an exception; everything taken is released again.
Synthesis Synthesize(const SynthesisRequest& request);

// The samples of a request that can be made (its plan has no refusal), block by block, for a
// front end that passes them on as they are made: an encoder, which then never holds the whole
// audio. The same samples as the image that Synthesize makes. Allocation failures throw
// std::bad_alloc. The request's message and the plan must outlive it.
class SynthesisStream {
  public:
    SynthesisStream(const SynthesisRequest& request, const SynthesisPlan& plan, std::vector<CharacterSpan>* spans);
    // The next samples, at most `samples` of them, in the plan's format; empty after the last.
    std::span<const uint8_t> Next(std::size_t samples);
    // The next samples into `area` (the format's bytes), as many as it holds; how many were written.
    int64_t Fill(std::span<uint8_t> area) { return stream_.Fill(area); }

  private:
    SoundFormat format_;
    Tone windowTone_;
    ExactTone exactTone_;
    SampleStream stream_;
    std::vector<uint8_t> block_;
};
