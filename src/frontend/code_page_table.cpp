#include "frontend/code_page_table.h"

#include <algorithm>

#include "frontend/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::optional<uint16_t> Find(std::span<const Cp932Mapping> table, uint32_t from) {
    const auto row = std::lower_bound(table.begin(), table.end(), from,
                                      [](const Cp932Mapping& m, uint32_t key) { return m.from < key; });
    if (row == table.end() || row->from != from) return std::nullopt;
    return row->to;
}

}  // namespace

std::optional<std::string> Cp932FromUtf8CharacterByTable(std::string_view utf8Character) {
    char32_t c = 0;
    if (Utf8Decode(utf8Character, c) != utf8Character.size() || utf8Character.empty()) return std::nullopt;
    if (c < 0x80) return std::string(utf8Character);
    const auto bytes = Find(kCp932Encoding, static_cast<uint32_t>(c));
    if (!bytes) return std::nullopt;
    if (*bytes < 0x100) return std::string(1, static_cast<char>(*bytes));
    return std::string{static_cast<char>(*bytes >> 8), static_cast<char>(*bytes & 0xFF)};
}

// A pair stands for one character only where its lead byte is none alone; a byte that is no
// character, alone or as a lead byte, is U+FFFD, and the next byte starts afresh (as the C
// library's conversion goes on past it).
std::string Utf8FromCp932ByTable(std::string_view cp932) {
    std::string utf8;
    utf8.reserve(cp932.size());
    for (std::size_t at = 0; at < cp932.size();) {
        const auto lead = static_cast<unsigned char>(cp932[at]);
        if (lead < 0x80) {
            utf8 += static_cast<char>(lead);
            ++at;
            continue;
        }
        if (at + 1 < cp932.size()) {
            const auto pair = Find(kCp932Decoding, lead * 0x100u + static_cast<unsigned char>(cp932[at + 1]));
            if (pair) {
                utf8 += Utf8Encode(*pair);
                at += 2;
                continue;
            }
        }
        utf8 += Utf8Encode(Find(kCp932Decoding, lead).value_or(kReplacement));
        ++at;
    }
    return utf8;
}
