#include "morse/measure.h"

#include <string>

#include "morse/message_characters.h"

namespace {

// Character by character: whitespace between two sounded characters becomes one blank when
// words are kept; whitespace before the first or after the last adds nothing, and characters
// without a code part no words.
Measurement MeasureByCharacters(TextVar& message, WordBreaks words, const CodeTable& codes) {
    std::string_view rest = TextView(message.Get());
    std::string cleaned;
    cleaned.reserve(rest.size());
    Measurement measured;
    bool gap = false;
    while (!rest.empty()) {
        const MessageCharacter character = MessageCharacterAt(rest, codes);
        rest.remove_prefix(character.size);
        if (character.kind == MessageCharacter::Kind::WordSpace) {
            gap = words == WordBreaks::Kept && measured.characters > 0;
            continue;
        }
        if (character.kind == MessageCharacter::Kind::Unsounded) continue;
        if (gap) {
            cleaned += ' ';
            ++measured.wordBreaks;
            gap = false;
        }
        cleaned += character.kept;
        ++measured.characters;
        measured.elementUnits += ElementUnitsOf(character.letters, codes);
    }
    message.Assign(TextFromBytes(cleaned));
    return measured;
}

}  // namespace

// The window's table sounds every byte with a code wherever it stands, so without word breaks
// its characters are its bytes: one pass to measure and, unless the message is clean already, one
// to copy (cutting bytes one at a time would move the rest of the message for every cut). Any
// other reading walks the message character by character.
Measurement MeasureMessage(TextVar& message, WordBreaks words, const CodeTable& codes) {
    if (words == WordBreaks::Kept || &codes != &CodeTableOf(CodeSet::Window)) {
        return MeasureByCharacters(message, words, codes);
    }
    const auto& lengths = codes.UnitLengths();
    const auto bytes = TextUnsignedBytes(message.Get());
    Measurement measured;
    int64_t units = 0;
    for (unsigned char byte : bytes) {
        units += lengths[byte];
        measured.characters += lengths[byte] != 0;
    }
    measured.elementUnits = units - kCharacterGapUnits * measured.characters;
    if (static_cast<std::size_t>(measured.characters) != bytes.size()) {
        Text cleaned = TextNew(static_cast<int32_t>(measured.characters));
        char* out = cleaned;
        for (unsigned char byte : bytes) {
            *out = static_cast<char>(byte);
            out += lengths[byte] != 0;  // the byte stays only if it has a code
        }
        *out = '\0';  // the value's closing zero, which a dropped last byte may have covered
        message.Assign(cleaned);
    }
    return measured;
}
