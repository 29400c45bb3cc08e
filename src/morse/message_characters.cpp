#include "morse/message_characters.h"

#include "morse/measure.h"
#include "morse/timing.h"
#include "runtime/text.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::size_t ProsignSize(std::string_view rest, const CodeTable& codes) {
    if (!codes.HasProsigns() || rest.empty() || rest[0] != '<') return 0;
    std::size_t end = 1;
    while (end < rest.size() && IsAsciiLetter(rest[end])) ++end;
    return end > 1 && end < rest.size() && rest[end] == '>' ? end + 1 : 0;
}

MessageCharacter MessageCharacterAt(std::string_view rest, const CodeTable& codes) {
    using Kind = MessageCharacter::Kind;
    if (const std::size_t prosign = ProsignSize(rest, codes)) {
        return {Kind::Sounded, prosign, rest.substr(0, prosign), rest.substr(1, prosign - 2)};
    }
    const std::size_t size = Cp932CharacterSize(rest);
    if (IsWordSpace(rest.substr(0, size))) return {Kind::WordSpace, size, {}, {}};
    const std::string_view last = rest.substr(size - 1, 1);
    const CodeTable& readBy = size == 1 ? codes : CodeTableOf(CodeSet::Window);
    if (readBy.Lookup(static_cast<unsigned char>(last[0])) == nullptr) return {Kind::Unsounded, size, {}, {}};
    return {Kind::Sounded, size, last, last};
}

int64_t ElementUnitsOf(std::string_view letters, const CodeTable& codes) {
    const auto& lengths = codes.UnitLengths();
    int64_t units = 0;
    for (char letter : letters) units += lengths[static_cast<unsigned char>(letter)] - kCharacterGapUnits;
    return units + kElementGapUnits * (static_cast<int64_t>(letters.size()) - 1);
}

std::string ElementsOf(std::string_view letters, const CodeTable& codes) {
    std::string elements;
    for (char letter : letters) elements += codes.Lookup(static_cast<unsigned char>(letter))->sequence;
    return elements;
}
