#include "frontend/typed_message.h"

#include "frontend/code_page.h"
#include "morse/code_table.h"

std::string TypedMessage::Typed(std::size_t k) const {
    return foldedKana ? std::string(TypedCharacter(typed, folded, k)) : text.characters[k];
}

TypedMessage TypedMessageFrom(std::string input, const TypedMessageOptions& options) {
    TypedMessage prepared;
    MessageTextOptions conversion{options.mapCharacters, options.wordGaps, nullptr, {}};
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
    if (!options.mapCharacters) prepared = TypedMessage{std::move(prepared.text), {}, {}, false};
    return prepared;
}

std::vector<Label> CharacterLabels(const TypedMessage& message, const std::vector<CharacterSpan>& spans) {
    const MessageText& text = message.text;
    std::vector<Label> labels;
    labels.reserve(spans.size());
    std::size_t next = 0;
    for (std::size_t at = 0; at < text.cp932.size() && next < spans.size(); ++at) {
        const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(text.cp932[at]));
        if (entry == nullptr) continue;
        labels.push_back({spans[next].start, spans[next].end, message.Typed(text.characterOfByte[at]),
                          std::string(entry->sequence)});
        ++next;
    }
    return labels;
}
