// Japanese as an input method types it, folded to what the program can sound: full-width
// katakana and hiragana to half-width katakana, voiced and semi-voiced kana to the base kana
// followed by ﾞ or ﾟ, ー to ｰ, ゛ ゜ to ﾞ ﾟ, full-width ASCII (U+FF01 to U+FF5E) to ASCII, and the
// small kana (ッ ャ ュ ョ ァ ィ ゥ ェ ォ ヮ, their hiragana and the half-width ｧ to ｯ) to the
// full-size kana that Wabun sends for them. 、。「」・ fold to their half-width forms, which have no
// code (the caller reports them). Kana without a half-width form (ヰ ヱ ヵ ヶ ヸ ヹ and their
// hiragana) are kept as typed, as is everything else, the ideographic space included.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct FoldedText {
    std::string utf8;  // the folded text; bytes that are not UTF-8 pass through unchanged
    // For each character of `utf8` (a code point, or a byte that is not UTF-8): the 0-based index
    // of the typed character it comes from. A typed character is a code point or such a byte, or
    // a kana with the combining voiced or semi-voiced mark (U+3099, U+309A) that follows it: "ガ"
    // typed as カ and U+3099 is one character, and ｶ and ﾞ both come from it.
    std::vector<std::size_t> origin;
    // The byte offset in the input of each typed character, then the input's size.
    std::vector<std::size_t> typedOffsets;
};

FoldedText FoldKana(std::string_view utf8);

// The typed character (UTF-8, a view into `input`) that character `k` of `folded.utf8` comes
// from: "ガ" for both ｶ and ﾞ when the user typed ガ.
std::string_view TypedCharacter(std::string_view input, const FoldedText& folded, std::size_t k);
