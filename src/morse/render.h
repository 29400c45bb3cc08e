// The second pass over the cleaned message: every dot and dash written at its place in the
// sample area, and silence everywhere else.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "morse/code_table.h"
#include "morse/timing.h"
#include "morse/tone.h"

// Where one sounded character's elements lie: from the first sample of its first element to just
// past the last sample of its last. Spans are taken only of a message that fits an image, whose
// samples are counted in 32 bits: eight bytes a character, for messages of millions.
struct CharacterSpan {
    int32_t start = 0;
    int32_t end = 0;
};

// Writes the elements of the cleaned message into `samples` with `timing`, `tone` and the code
// table the message was cleaned with: each element is followed by the gap inside the character
// (between the letters of a prosign too), each character by a character gap, or a word gap where
// a blank in the message parts two words. Every other sample of `samples`, the gaps and whatever
// follows the last element, is written as silence; nothing outside it is. Returns where the last
// element ends: the length of the message in samples. `spans`, if given, receives one span per
// sounded character, in order.
int64_t RenderMessage(const char* message, std::span<uint8_t> samples, const Timing& timing, const Tone& tone,
                      std::vector<CharacterSpan>* spans = nullptr,
                      const CodeTable& codes = CodeTableOf(CodeSet::Window));
