// The message as the user typed it, made ready for the Create command: folded to what can be
// sounded if asked, converted to code page 932, and able to name each character as typed, for
// the label track of the run.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frontend/kana_fold.h"
#include "frontend/label_track.h"
#include "frontend/message_text.h"
#include "morse/render.h"

struct TypedMessageOptions {
    MessageEncoding encoding = MessageEncoding::Utf8;
    bool foldKana = false;       // full-width kana and letters folded to what can be sounded
    bool wordGaps = false;       // whitespace parts words, and is not reported as left out
    bool mapCharacters = false;  // keep what each character was as typed (for labels)
};

struct TypedMessage {
    MessageText text;
    std::string typed;  // when folded and mapped: the message as typed, in UTF-8
    FoldedText folded;  // when folded and mapped: what it folded to
    bool foldedKana = false;

    // Character `k` of the converted text as the user typed it.
    std::string Typed(std::size_t k) const;
};

// The report of left-out characters names them, and counts their positions, as typed.
TypedMessage TypedMessageFrom(std::string input, const TypedMessageOptions& options);

// One label per sounded character, with the character as the user gave it: the k-th span belongs
// to the k-th byte of the converted message that has a code. The message must have been mapped.
std::vector<Label> CharacterLabels(const TypedMessage& message, const std::vector<CharacterSpan>& spans);
