#include "frontend/typed_message.h"

#include "frontend/code_page.h"
#include "morse/code_table.h"

std::string TypedMessage::Typed(std::size_t k, std::size_t offset, std::size_t size) const {
    if (foldedKana) return std::string(TypedCharacter(typed, folded, k));
    const std::string_view read = std::string_view(input).substr(offset, size);
    return inputIsCp932 ? Utf8FromCp932(read) : std::string(read);
}

TypedMessage TypedMessageFrom(std::string input, const TypedMessageOptions& options) {
    TypedMessage prepared;
    MessageTextOptions conversion{options.mapCharacters, options.wordGaps, nullptr, {}};
    if (!options.foldKana) {
        prepared.text = MessageTextFrom(input, options.encoding, conversion);
        if (options.mapCharacters) {
            prepared.input = std::move(input);
            prepared.inputIsCp932 = options.encoding == MessageEncoding::Cp932;
        }
        return prepared;
    }
    prepared.foldedKana = true;
    prepared.typed = options.encoding == MessageEncoding::Cp932 ? Utf8FromCp932(input) : std::move(input);
    prepared.folded = FoldKana(prepared.typed);
    conversion.folding = &prepared.folded;
    conversion.typed = prepared.typed;
    prepared.text = MessageTextFrom(prepared.folded.utf8, MessageEncoding::Utf8, conversion);
    if (!options.mapCharacters) {
        TypedMessage bare;
        bare.text = std::move(prepared.text);
        return bare;
    }
    return prepared;
}

bool CharacterLabelsEach(const TypedMessage& message, const std::vector<CharacterSpan>& spans,
                         const std::function<bool(const Label&)>& take) {
    const MessageText& text = message.text;
    std::size_t next = 0;
    std::size_t at = 0;
    std::size_t inputAt = 0;
    for (std::size_t k = 0; k < text.characterSizes.size(); ++k) {
        const CharacterSize size = text.characterSizes[k];
        for (const std::size_t end = at + size.cp932; at < end; ++at) {
            const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(text.cp932[at]));
            if (entry == nullptr || next == spans.size()) continue;
            const std::string typed = message.Typed(k, inputAt, size.input);
            if (!take({spans[next].start, spans[next].end, typed, entry->sequence})) return false;
            ++next;
        }
        inputAt += size.input;
    }
    return true;
}
