// The message as the user typed it, made ready for synthesis: folded to what can be sounded if
// asked, converted to code page 932, and able to name each sounded character as typed, for the
// label track of the run.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
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
    CodeSet codes = CodeSet::Window;  // the code table of the run
};

struct TypedMessage {
    MessageText text;
    // When mapped: what the conversion read (the input, or its folded form), and when folded, the
    // message as typed in UTF-8 with its folding.
    std::string input;
    bool inputIsCp932 = false;
    std::string typed;
    FoldedText folded;
    bool foldedKana = false;
    CodeSet codes = CodeSet::Window;

    // Character `k` of the conversion's input, `size` bytes at `offset` of it, as the user typed it.
    std::string Typed(std::size_t k, std::size_t offset, std::size_t size) const;
};

// The report of left-out characters names them, and counts their positions, as typed.
TypedMessage TypedMessageFrom(std::string input, const TypedMessageOptions& options);

// One label per sounded character, with the character as the user gave it (a prosign with its
// brackets) and its elements, handed to `take` in order: the k-th span belongs to the k-th sounded
// character of the converted message. The message must have been mapped. False when `take`
// stopped it by returning false.
bool CharacterLabelsEach(const TypedMessage& message, const std::vector<CharacterSpan>& spans,
                         const std::function<bool(const Label&)>& take);
