#include "frontend/typed_message.h"

#include "frontend/code_page.h"
#include "morse/message_characters.h"

std::string TypedMessage::Typed(std::size_t k, std::size_t offset, std::size_t size) const {
    if (foldedKana) return std::string(TypedCharacter(typed, folded, k));
    const std::string_view read = std::string_view(input).substr(offset, size);
    return inputIsCp932 ? Utf8FromCp932(read) : std::string(read);
}

TypedMessage TypedMessageFrom(std::string input, const TypedMessageOptions& options) {
    TypedMessage prepared;
    prepared.codes = options.codes;
    MessageTextOptions conversion{options.mapCharacters, options.wordGaps, options.codes, nullptr, {}};
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
        bare.codes = options.codes;
        return bare;
    }
    return prepared;
}

namespace {

// The input characters behind the bytes of the converted message, read forward.
class TypedCharacters {
  public:
    explicit TypedCharacters(const TypedMessage& message) : message_(message) {}

    // The characters as typed that gave bytes [at, end) of the converted message, which lie at or
    // after those asked for before.
    std::string Between(std::size_t at, std::size_t end) {
        const auto& sizes = message_.text.characterSizes;
        for (; k_ < sizes.size() && cp932At_ + sizes[k_].cp932 <= at; ++k_) {
            cp932At_ += sizes[k_].cp932;
            inputAt_ += sizes[k_].input;
        }
        std::string typed;
        std::size_t cp932At = cp932At_;
        std::size_t inputAt = inputAt_;
        for (std::size_t j = k_; j < sizes.size() && cp932At < end; ++j) {
            if (sizes[j].cp932 > 0) typed += message_.Typed(j, inputAt, sizes[j].input);
            cp932At += sizes[j].cp932;
            inputAt += sizes[j].input;
        }
        return typed;
    }

  private:
    const TypedMessage& message_;
    std::size_t k_ = 0;        // the first character that may give a byte at or after those asked for
    std::size_t cp932At_ = 0;  // where its bytes start in the converted message
    std::size_t inputAt_ = 0;  // and in the conversion's input
};

}  // namespace

bool CharacterLabelsEach(const TypedMessage& message, const std::vector<CharacterSpan>& spans,
                         const std::function<bool(const Label&)>& take) {
    const CodeTable& codes = CodeTableOf(message.codes);
    TypedCharacters typed(message);
    std::size_t next = 0;
    std::string_view rest = message.text.cp932;
    for (std::size_t at = 0; !rest.empty() && next < spans.size();) {
        const MessageCharacter character = MessageCharacterAt(rest, codes);
        rest.remove_prefix(character.size);
        if (character.kind == MessageCharacter::Kind::Sounded) {
            const std::string text = typed.Between(at, at + character.size);
            const std::string elements = ElementsOf(character.letters, codes);
            if (!take({spans[next].start, spans[next].end, text, elements})) return false;
            ++next;
        }
        at += character.size;
    }
    return true;
}
