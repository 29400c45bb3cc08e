#include "morse/measure.h"

#include <string>

#include "morse/code_table.h"

namespace {

// Whitespace between two sounded characters becomes one blank; whitespace before the first or
// after the last adds nothing, and other bytes without a code do not part words. The walk goes
// character by character only to find the ideographic space: of a double-byte character, the
// lead byte never has a code and the second byte sounds if it has one, exactly as the window's
// pass keeps or drops the bytes one by one, so the same bytes sound either way.
void CleanKeepingWords(TextVar& message, Measurement& measured) {
    const auto& lengths = CodeUnitLengths();
    const auto bytes = TextUnsignedBytes(message.Get());
    std::string cleaned;
    cleaned.reserve(bytes.size());
    bool gap = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::string_view rest(reinterpret_cast<const char*>(&bytes[at]), bytes.size() - at);
        const std::size_t size = Cp932CharacterSize(rest);
        const unsigned char last = bytes[at + size - 1];
        const bool space = IsWordSpace(rest.substr(0, size));
        at += size;
        if (space) {
            gap = !cleaned.empty();
            continue;
        }
        if (lengths[last] == 0) continue;
        if (gap) {
            cleaned += ' ';
            ++measured.wordBreaks;
            gap = false;
        }
        cleaned += static_cast<char>(last);
    }
    Text kept = TextNew(static_cast<int32_t>(cleaned.size()));
    cleaned.copy(kept, cleaned.size());
    message.Assign(kept);
}

}  // namespace

// One pass to measure and, unless the message is clean already, one to copy: cutting bytes one
// at a time would move the rest of the message for every cut.
Measurement MeasureMessage(TextVar& message, WordBreaks words) {
    const auto& lengths = CodeUnitLengths();
    const auto bytes = TextUnsignedBytes(message.Get());
    Measurement measured;
    int64_t units = 0;
    for (unsigned char byte : bytes) {
        units += lengths[byte];
        measured.characters += lengths[byte] != 0;
    }
    measured.elementUnits = units - kCharacterGapUnits * measured.characters;
    if (words == WordBreaks::Kept) {
        CleanKeepingWords(message, measured);
    } else if (static_cast<std::size_t>(measured.characters) != bytes.size()) {
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
