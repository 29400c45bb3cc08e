#include "cli/message_text.h"

#include <cstdio>

#include "morse/code_table.h"
#include "platform/code_page.h"

namespace {

// Length of the UTF-8 sequence that starts with `lead` and is complete in `rest`; 0 if invalid.
std::size_t Utf8SequenceLength(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    std::size_t n = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) n = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) n = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) n = 4;
    else return 0;
    if (rest.size() < n) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(rest[k]) & 0xC0) != 0x80) return 0;
    }
    return n;
}

char32_t CodePoint(std::string_view utf8) {
    const auto b = [&utf8](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[k])); };
    switch (utf8.size()) {
        case 1: return b(0);
        case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        default: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    }
}

std::string Hex(const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Appends the bytes of one character and notes it if any of them will not be sounded: cleaning
// removes each byte without a code on its own, so a double-byte character may leave its second
// byte behind, which then sounds as the character it happens to be.
void AddCharacter(MessageText& text, std::size_t position, const std::string& bytes, std::string shown,
                  std::string code) {
    text.cp932 += bytes;
    std::string sounded;
    for (char b : bytes) {
        if (CodeLookup(static_cast<unsigned char>(b)) != nullptr) sounded += b;
    }
    if (sounded.size() == bytes.size()) return;
    const auto why = sounded.empty() ? LeftOutCharacter::Why::NoMorseCode : LeftOutCharacter::Why::OnlySecondByteSounds;
    text.leftOut.push_back({position, std::move(shown), std::move(code), why, Utf8FromCp932(sounded)});
}

MessageText FromUtf8(std::string_view input) {
    MessageText text;
    std::size_t position = 0;
    for (std::size_t at = 0; at < input.size();) {
        ++position;
        const std::size_t n = Utf8SequenceLength(input.substr(at));
        if (n == 0) {
            text.leftOut.push_back({position, "", Hex("0x%02X", static_cast<unsigned char>(input[at])),
                                    LeftOutCharacter::Why::NotUtf8, ""});
            ++at;
            continue;
        }
        const std::string_view character = input.substr(at, n);
        at += n;
        const std::string code = Hex("U+%04X", static_cast<unsigned>(CodePoint(character)));
        const auto bytes = Cp932FromUtf8Character(character);
        if (!bytes) {
            text.leftOut.push_back({position, std::string(character), code, LeftOutCharacter::Why::NotInCp932, ""});
            continue;
        }
        AddCharacter(text, position, *bytes, std::string(character), code);
    }
    return text;
}

MessageText FromCp932(std::string_view input) {
    MessageText text;
    std::size_t position = 0;
    for (std::size_t at = 0; at < input.size();) {
        ++position;
        const bool pair = IsCp932LeadByte(static_cast<unsigned char>(input[at])) && at + 1 < input.size();
        const std::string bytes(input.substr(at, pair ? 2 : 1));
        at += bytes.size();
        std::string code = Hex("0x%02X", static_cast<unsigned char>(bytes[0]));
        if (pair) code += Hex(" 0x%02X", static_cast<unsigned char>(bytes[1]));
        AddCharacter(text, position, bytes, Utf8FromCp932(bytes), code);
    }
    return text;
}

}  // namespace

MessageText MessageTextFrom(const std::string& input, MessageEncoding encoding) {
    return encoding == MessageEncoding::Utf8 ? FromUtf8(input) : FromCp932(input);
}

std::string LeftOutReport(const std::vector<LeftOutCharacter>& leftOut, std::size_t limit) {
    std::string report;
    for (std::size_t k = 0; k < leftOut.size() && k < limit; ++k) {
        const LeftOutCharacter& c = leftOut[k];
        const bool printable = !c.shown.empty() && static_cast<unsigned char>(c.shown[0]) >= 0x20 && c.shown != "\x7F";
        report += "velmora-cli: character " + std::to_string(c.position) + " ";
        if (printable) report += "'" + c.shown + "' ";
        report += "(" + c.code + ") ";
        switch (c.why) {
            case LeftOutCharacter::Why::NotUtf8: report += "is not UTF-8; left out\n"; break;
            case LeftOutCharacter::Why::NotInCp932: report += "is not in code page 932; left out\n"; break;
            case LeftOutCharacter::Why::NoMorseCode: report += "has no Morse code; left out\n"; break;
            case LeftOutCharacter::Why::OnlySecondByteSounds:
                report += "has no Morse code; its second byte is sent as '" + c.sounded + "'\n";
                break;
        }
    }
    if (leftOut.size() > limit) {
        report += "velmora-cli: and " + std::to_string(leftOut.size() - limit) + " more characters left out\n";
    }
    return report;
}
