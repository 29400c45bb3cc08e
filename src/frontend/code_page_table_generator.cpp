// Writes code_page_table_data.cpp from this system's conversion (code_page_posix.cpp, the C
// library's CP932 with the read-back rule): `velmora_code_page_table_generator > FILE`, or the
// native build's target code-page-table, which writes it in place. Fails, writing nothing, where
// the conversion does something the table cannot express.
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/code_page.h"
#include "frontend/code_page_table.h"
#include "frontend/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The one code point that `utf8` holds; none when it holds another count, or U+FFFD.
std::optional<char32_t> OneCharacter(const std::string& utf8) {
    char32_t c = 0;
    const std::size_t n = Utf8Decode(utf8, c);
    if (n == 0 || n != utf8.size() || c == kReplacement || c > 0xFFFF) return std::nullopt;
    return c;
}

// Every byte above ASCII that is a character alone, then every pair whose lead byte is not. Each other pair
// must read as its two bytes one after the other, which the table's reader does without a row.
bool Decoding(std::vector<Cp932Mapping>& rows) {
    std::optional<char32_t> single[256];
    for (unsigned b = 0; b < 256; ++b) {
        single[b] = OneCharacter(Utf8FromCp932(std::string(1, static_cast<char>(b))));
        if (b < 0x80 && single[b] != b) return false;  // the reader takes ASCII as it is
        if (b >= 0x80 && single[b]) rows.push_back({static_cast<uint16_t>(b), static_cast<uint16_t>(*single[b])});
    }
    const auto alone = [&single](unsigned b) { return single[b] ? Utf8Encode(*single[b]) : Utf8Encode(kReplacement); };
    for (unsigned lead = 0x80; lead < 256; ++lead) {
        for (unsigned trail = 0; trail < 256; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = Utf8FromCp932(pair);
            const auto c = single[lead] ? std::nullopt : OneCharacter(utf8);
            if (c) {
                rows.push_back({static_cast<uint16_t>(lead * 0x100 + trail), static_cast<uint16_t>(*c)});
            } else if (utf8 != alone(lead) + alone(trail)) {
                (void)std::fprintf(stderr, "bytes 0x%02X 0x%02X read as neither one character nor two\n", lead, trail);
                return false;
            }
        }
    }
    return true;
}

// Every code point above ASCII that has bytes; none may lie beyond the 16 bits of a row.
bool Encoding(std::vector<Cp932Mapping>& rows) {
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto bytes = Cp932FromUtf8Character(Utf8Encode(c));
        if (!bytes) continue;
        if (c > 0xFFFF || bytes->empty() || bytes->size() > 2) return false;
        const auto first = static_cast<unsigned char>((*bytes)[0]);
        const unsigned code = bytes->size() == 1 ? first : first * 0x100u + static_cast<unsigned char>((*bytes)[1]);
        rows.push_back({static_cast<uint16_t>(c), static_cast<uint16_t>(code)});
    }
    return true;
}

void Print(const char* name, const std::vector<Cp932Mapping>& rows) {
    std::printf("constexpr Cp932Mapping k%sRows[] = {\n", name);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        std::printf("%s{0x%04X, 0x%04X},%s", k % 6 == 0 ? "    " : " ", rows[k].from, rows[k].to,
                    k % 6 == 5 || k + 1 == rows.size() ? "\n" : "");
    }
    std::printf("};\n\n");
}

}  // namespace

int main() {
    std::vector<Cp932Mapping> decoding;
    std::vector<Cp932Mapping> encoding;
    if (!Decoding(decoding) || !Encoding(encoding)) {
        (void)std::fputs("code_page_table_generator: this system's CP932 conversion does not fit the table\n", stderr);
        return 1;
    }
    std::printf("// Made by code_page_table_generator.cpp from the C library's CP932 conversion; not to be\n"
                "// edited by hand. %zu characters read, %zu written.\n"
                "#include \"frontend/code_page_table.h\"\n\nnamespace {\n\n",
                decoding.size(), encoding.size());
    Print("Decoding", decoding);
    Print("Encoding", encoding);
    std::printf("}  // namespace\n\n"
                "const std::span<const Cp932Mapping> kCp932Decoding(kDecodingRows);\n"
                "const std::span<const Cp932Mapping> kCp932Encoding(kEncodingRows);\n");
    return 0;
}
