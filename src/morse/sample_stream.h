// The samples of a cleaned message made in order, one block after another: the silence of the
// pad before it, each element in its tone at its place with silence between, the pad after the
// last, and practice noise over the whole when it is asked for. Synthesize fills a whole image
// with it for any request beyond the window's sound; a front end that encodes the audio as it is
// made reads it block by block and never holds the whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "morse/code_table.h"
#include "morse/exact_tone.h"
#include "morse/noise.h"
#include "morse/render.h"
#include "morse/timing.h"
#include "morse/tone.h"

// What the elements sound as: the window's tone (8 bits at its rate) or the exact tone.
struct StreamTone {
    const Tone* window = nullptr;
    const ExactTone* exact = nullptr;  // used when set
    SoundFormat format;
};

// Where the message goes in the stream, in samples: after `pad` samples of silence, `count`
// samples in all.
struct StreamFrame {
    int64_t pad = 0;
    int64_t count = 0;
};

class SampleStream {
  public:
    // The message (cleaned with `codes`, with one blank where a word gap parts two words), the
    // tones and `spans` must outlive the stream; `spans`, if given, receives one span per sounded
    // character.
    SampleStream(const char* message, const CodeTable& codes, const TickTiming& timing, StreamFrame frame,
                 const StreamTone& tone, std::optional<NoiseSource> noise, std::vector<CharacterSpan>* spans = nullptr);

    // Writes the next samples into `block` (the format's bytes): as many as it holds, fewer at the
    // end of the stream. Returns how many it wrote; 0 once all have been.
    int64_t Fill(std::span<uint8_t> block);

  private:
    bool Advance();
    bool NextCharacter();
    void ToneWrite(std::span<uint8_t> area, int64_t position, int64_t span) const;
    void SilenceWrite(std::span<uint8_t> area, int64_t from, int64_t to) const;

    std::string_view message_;
    const CodeTable* codes_;
    TickTiming timing_;
    StreamFrame frame_;
    StreamTone tone_;
    std::optional<NoiseSource> noise_;
    std::vector<CharacterSpan>* spans_;

    // The walk through the message: the character being sounded, its letter being sounded (a
    // prosign has several) and that letter's next element.
    std::size_t at_ = 0;
    std::string_view letters_;
    std::size_t letter_ = 0;
    std::string_view sequence_;
    std::size_t element_ = 0;
    int64_t tick_ = 0;  // where the message has reached, in ticks from its first element
    bool first_ = true;
    int64_t characterStart_ = 0;
    // The element being written, in samples of the stream, and whether there is one.
    struct ElementSpan {
        int64_t start = 0;
        int64_t end = 0;
    } current_;
    bool sounding_ = false;
    int64_t written_ = 0;  // the samples written so far
};
