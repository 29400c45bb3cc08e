#include "morse/render.h"

#include <algorithm>
#include <cstring>

#include "morse/message_characters.h"
#include "runtime/text.h"

namespace {

// Silence over [from, to), clipped to `samples`.
void SilenceWrite(std::span<uint8_t> samples, int64_t from, int64_t to) {
    const auto size = static_cast<int64_t>(samples.size());
    from = std::clamp<int64_t>(from, 0, size);
    to = std::clamp<int64_t>(to, from, size);
    if (to > from) std::memset(samples.data() + from, kSilence, static_cast<std::size_t>(to - from));
}

}  // namespace

// Each sample is written once, in order: the gap before an element, then the element. The area
// may be fresh memory, whose first touch is then the write that fills it.
int64_t RenderMessage(const char* message, std::span<uint8_t> samples, const Timing& timing, const Tone& tone,
                      std::vector<CharacterSpan>* spans, const CodeTable& codes) {
    int64_t written = 0;  // everything before it holds its final sample
    int64_t position = 0;
    bool first = true;
    bool wordBreak = false;
    for (std::string_view rest = TextView(message); !rest.empty();) {
        const MessageCharacter character = MessageCharacterAt(rest, codes);
        rest.remove_prefix(character.size);
        if (character.kind != MessageCharacter::Kind::Sounded) {
            // Cleaning leaves only the blanks between words; any other byte is passed over.
            wordBreak = wordBreak || character.kind == MessageCharacter::Kind::WordSpace;
            continue;
        }
        if (!first) position += wordBreak ? timing.wordGap : timing.characterGap;
        first = false;
        wordBreak = false;
        const int64_t start = position;
        bool firstElement = true;
        for (char letter : character.letters) {
            for (char element : codes.Lookup(static_cast<unsigned char>(letter))->sequence) {
                if (!firstElement) position += timing.unit * kElementGapUnits;
                firstElement = false;
                const int64_t span = timing.unit * (element == '-' ? kDashUnits : kDotUnits);
                SilenceWrite(samples, written, position);
                ToneWrite(samples, position, tone, span);
                position += span;
                written = position;
            }
        }
        if (spans != nullptr) spans->push_back({static_cast<int32_t>(start), static_cast<int32_t>(position)});
    }
    SilenceWrite(samples, written, static_cast<int64_t>(samples.size()));
    return position;
}
