// The first pass over a message: cut out every character that cannot be sounded and measure what
// the rest will take.
#pragma once

#include <cstdint>
#include <string_view>

#include "morse/code_table.h"
#include "morse/timing.h"
#include "runtime/text.h"

// The unit count when nothing is left to sound: the count has one character gap fewer than
// characters, and with none that is one gap less than nothing.
inline constexpr int64_t kNothingToSound = -kCharacterGapUnits;

// Whether one character of code page 932 (one or two bytes) parts words: the blank, tab, line
// breaks and the ideographic space.
constexpr bool IsWordSpace(std::string_view character) {
    return character == " " || character == "\t" || character == "\n" || character == "\r" || character == "\x81\x40";
}

// Whether whitespace between two sounded characters keeps the words apart. The window drops it
// with every other byte that has no code; kept, it stays in the cleaned message as one blank.
enum class WordBreaks { Dropped, Kept };

// What the cleaned message takes, in parts from which any timing gives the length. Counted in
// 64 bits, so that no message can wrap them.
struct Measurement {
    int64_t characters = 0;    // sounded characters
    int64_t elementUnits = 0;  // their elements and the gaps inside them, in units
    int64_t wordBreaks = 0;    // of the gaps between characters, those between words

    int64_t CharacterGaps() const { return characters - 1 - wordBreaks; }
    // In units, gaps of 3 between characters and 7 between words: from the start of the first
    // element to the end of the last, or kNothingToSound.
    int64_t Units() const { return elementUnits + kCharacterGapUnits * CharacterGaps() + kWordGapUnits * wordBreaks; }
};

// Replaces `message` with its cleaned form (its characters with a code in `codes`, in their
// order, and one blank between words when they are kept) and measures it.
Measurement MeasureMessage(TextVar& message, WordBreaks words, const CodeTable& codes = CodeTableOf(CodeSet::Window));
