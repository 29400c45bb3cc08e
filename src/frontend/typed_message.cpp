#include "frontend/typed_message.h"

#include "frontend/code_page.h"
#include "morse/message_characters.h"

std::string TypedMessage::Typed(std::size_t k) const {
    return foldedKana ? std::string(TypedCharacter(typed, folded, k)) : text.characters[k];
}

TypedMessage TypedMessageFrom(std::string input, const TypedMessageOptions& options) {
    TypedMessage prepared;
    prepared.codes = options.codes;
    MessageTextOptions conversion{options.mapCharacters, options.wordGaps, options.codes, nullptr, {}};
    if (!options.foldKana) {
        prepared.text = MessageTextFrom(input, options.encoding, conversion);
        return prepared;
    }
    prepared.foldedKana = true;
    prepared.typed = options.encoding == MessageEncoding::Cp932 ? Utf8FromCp932(input) : std::move(input);
    prepared.folded = FoldKana(prepared.typed);
    conversion.folding = &prepared.folded;
    conversion.typed = prepared.typed;
    prepared.text = MessageTextFrom(prepared.folded.utf8, MessageEncoding::Utf8, conversion);
    if (!options.mapCharacters) prepared = TypedMessage{std::move(prepared.text), {}, {}, false, options.codes};
    return prepared;
}

std::vector<Label> CharacterLabels(const TypedMessage& message, const std::vector<CharacterSpan>& spans) {
    const MessageText& text = message.text;
    const CodeTable& codes = CodeTableOf(message.codes);
    std::vector<Label> labels;
    labels.reserve(spans.size());
    std::string_view rest = text.cp932;
    for (std::size_t at = 0; !rest.empty() && labels.size() < spans.size();) {
        const MessageCharacter character = MessageCharacterAt(rest, codes);
        const std::size_t end = at + character.size;
        rest.remove_prefix(character.size);
        if (character.kind == MessageCharacter::Kind::Sounded) {
            // Each character as typed once: a double-byte character's bytes come from one.
            std::string typed;
            for (std::size_t k = at; k < end; ++k) {
                if (k == at || text.characterOfByte[k] != text.characterOfByte[k - 1]) {
                    typed += message.Typed(text.characterOfByte[k]);
                }
            }
            const CharacterSpan& span = spans[labels.size()];
            labels.push_back({span.start, span.end, std::move(typed), ElementsOf(character.letters, codes)});
        }
        at = end;
    }
    return labels;
}
