#include "cli/message_text.h"

#include <array>
#include <cstdio>
#include <unordered_map>

#include "morse/code_table.h"
#include "platform/code_page.h"

namespace {

constexpr std::size_t kPositionsKept = 3;

// Length of the well-formed UTF-8 sequence at the start of `rest`; 0 if it is not one. Overlong
// forms, surrogates and code points above U+10FFFF are not well-formed: their lead byte is
// reported on its own, and the bytes after it are examined in turn.
std::size_t Utf8SequenceLength(std::string_view rest) {
    const auto byte = [&rest](std::size_t k) { return static_cast<unsigned char>(rest[k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t n = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        if (lead == 0xE0) low = 0xA0;   // below: an overlong form of U+0000 to U+07FF
        if (lead == 0xED) high = 0x9F;  // above: the surrogates U+D800 to U+DFFF
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        if (lead == 0xF0) low = 0x90;   // below: an overlong form of U+0000 to U+FFFF
        if (lead == 0xF4) high = 0x8F;  // above: beyond U+10FFFF
    } else {
        return 0;
    }
    if (rest.size() < n || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < n; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
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
    (void)std::snprintf(text, sizeof text, format, value);  // "U+10FFFF" at the longest
    return text;
}

// What may be echoed of a character: nothing for a control or format character.
std::string Shown(std::string_view utf8) {
    if (utf8.empty()) return {};
    const std::size_t n = Utf8SequenceLength(utf8);
    if (n == 0 || n != utf8.size() || IsControlOrFormat(CodePoint(utf8))) return {};
    return std::string(utf8);
}

// Gathers the left-out characters by kind: a slot per single byte for the common case of
// bytes without a code, a map for the rest. The cost per occurrence is a count and, for the
// first few, a position.
class LeftOutCollector {
  public:
    // The group of the character with these bytes and this reason; `describe` fills in a new one.
    template <typename Describe>
    void Add(std::size_t position, std::string_view bytes, LeftOutCharacter::Why why, Describe describe) {
        std::size_t* slot = nullptr;
        if (bytes.size() == 1) {
            slot = &bytePlaces_[why == LeftOutCharacter::Why::NotUtf8][static_cast<unsigned char>(bytes[0])];
        } else {
            std::string key(bytes);
            key += static_cast<char>(why);
            slot = &places_[std::move(key)];
        }
        if (*slot == 0) {
            LeftOutCharacter c;
            c.why = why;
            describe(c);
            groups_.push_back(std::move(c));
            *slot = groups_.size();
        }
        LeftOutCharacter& group = groups_[*slot - 1];
        ++group.count;
        if (group.firstPositions.size() < kPositionsKept) group.firstPositions.push_back(position);
    }

    std::vector<LeftOutCharacter> Take() { return std::move(groups_); }

  private:
    std::vector<LeftOutCharacter> groups_;
    std::array<std::array<std::size_t, 256>, 2> bytePlaces_{};  // group index + 1, 0 for none
    std::unordered_map<std::string, std::size_t> places_;
};

bool Sounds(char byte) { return CodeLookup(static_cast<unsigned char>(byte)) != nullptr; }

// Appends the bytes of one character and notes it if any of them will not be sounded: cleaning
// removes each byte without a code on its own, so a double-byte character may leave its second
// byte behind, which then sounds as the character it happens to be.
template <typename Describe>
void AddCharacter(MessageText& text, LeftOutCollector& leftOut, std::size_t position, std::string_view bytes,
                  Describe describe) {
    text.cp932 += bytes;
    std::string sounded;
    for (char b : bytes) {
        if (Sounds(b)) sounded += b;
    }
    if (sounded.size() == bytes.size()) return;
    const auto why = sounded.empty() ? LeftOutCharacter::Why::NoMorseCode : LeftOutCharacter::Why::OnlySecondByteSounds;
    leftOut.Add(position, bytes, why, [&](LeftOutCharacter& c) {
        describe(c);
        c.sounded = Utf8FromCp932(sounded);
    });
}

MessageText FromUtf8(std::string_view input) {
    MessageText text;
    text.cp932.reserve(input.size());
    LeftOutCollector leftOut;
    std::size_t position = 0;
    for (std::size_t at = 0; at < input.size();) {
        ++position;
        const std::size_t n = Utf8SequenceLength(input.substr(at));
        if (n == 0) {
            leftOut.Add(position, input.substr(at, 1), LeftOutCharacter::Why::NotUtf8, [&](LeftOutCharacter& c) {
                c.code = Hex("0x%02X", static_cast<unsigned char>(input[at]));
            });
            ++at;
            continue;
        }
        const std::string_view character = input.substr(at, n);
        at += n;
        const auto describe = [&character](LeftOutCharacter& c) {
            c.shown = Shown(character);
            c.code = Hex("U+%04X", static_cast<unsigned>(CodePoint(character)));
        };
        if (n == 1) {
            AddCharacter(text, leftOut, position, character, describe);
            continue;
        }
        const auto bytes = Cp932FromUtf8Character(character);
        if (!bytes) {
            leftOut.Add(position, character, LeftOutCharacter::Why::NotInCp932, describe);
            continue;
        }
        AddCharacter(text, leftOut, position, *bytes, describe);
    }
    text.leftOut = leftOut.Take();
    return text;
}

MessageText FromCp932(std::string_view input) {
    MessageText text;
    text.cp932.reserve(input.size());
    LeftOutCollector leftOut;
    std::size_t position = 0;
    for (std::size_t at = 0; at < input.size();) {
        ++position;
        const bool pair = IsCp932LeadByte(static_cast<unsigned char>(input[at])) && at + 1 < input.size();
        const std::string_view bytes = input.substr(at, pair ? 2 : 1);
        at += bytes.size();
        AddCharacter(text, leftOut, position, bytes, [&bytes](LeftOutCharacter& c) {
            c.shown = Shown(Utf8FromCp932(bytes));
            c.code = Hex("0x%02X", static_cast<unsigned char>(bytes[0]));
            if (bytes.size() == 2) c.code += Hex(" 0x%02X", static_cast<unsigned char>(bytes[1]));
        });
    }
    text.leftOut = leftOut.Take();
    return text;
}

std::string Times(std::size_t count) { return count == 1 ? "once" : std::to_string(count) + " times"; }

// "at character 3", "at characters 3 and 7", "at characters 3, 7 and 9", "at characters 3, 7, 9, ..."
std::string Places(const LeftOutCharacter& c) {
    const auto& p = c.firstPositions;
    std::string places = p.size() == 1 ? "at character " : "at characters ";
    for (std::size_t k = 0; k < p.size(); ++k) {
        if (k > 0) places += (k + 1 == p.size() && c.count == p.size()) ? " and " : ", ";
        places += std::to_string(p[k]);
    }
    if (c.count > p.size()) places += ", ...";
    return places;
}

std::string ReportLine(const LeftOutCharacter& c) {
    std::string line = "velmora-cli: ";
    if (c.why == LeftOutCharacter::Why::OnlySecondByteSounds) line += "warning: ";
    if (c.why == LeftOutCharacter::Why::NotUtf8) {
        line += "byte " + c.code + " ";
    } else {
        if (!c.shown.empty()) line += "'" + c.shown + "' ";
        line += "(" + c.code + ") ";
    }
    switch (c.why) {
        case LeftOutCharacter::Why::NotUtf8: line += "is not UTF-8; left out "; break;
        case LeftOutCharacter::Why::NotInCp932: line += "is not in code page 932; left out "; break;
        case LeftOutCharacter::Why::NoMorseCode: line += "has no Morse code; left out "; break;
        case LeftOutCharacter::Why::OnlySecondByteSounds:
            line += "has no Morse code, but its second byte sounds as '" + c.sounded + "', ";
            break;
    }
    return line + Times(c.count) + ", " + Places(c) + "\n";
}

}  // namespace

MessageText MessageTextFrom(std::string_view input, MessageEncoding encoding) {
    return encoding == MessageEncoding::Utf8 ? FromUtf8(input) : FromCp932(input);
}

std::string LeftOutReport(const std::vector<LeftOutCharacter>& leftOut, std::size_t limit) {
    std::string report;
    std::size_t shown = 0;
    std::size_t rest = 0;
    for (const bool warnings : {true, false}) {
        for (const LeftOutCharacter& c : leftOut) {
            if ((c.why == LeftOutCharacter::Why::OnlySecondByteSounds) != warnings) continue;
            if (shown == limit) {
                rest += c.count;
                continue;
            }
            report += ReportLine(c);
            ++shown;
        }
    }
    if (leftOut.size() > shown) {
        const std::size_t kinds = leftOut.size() - shown;
        report += "velmora-cli: and " + std::to_string(kinds) + (kinds == 1 ? " more character" : " more characters") +
                  " left out (" + Times(rest) + " in all)\n";
    }
    return report;
}

bool IsControlOrFormat(char32_t c) {
    struct Range {
        char32_t first, last;
    };
    // The controls (Cc), the format characters (Cf) and the line and paragraph separators.
    static constexpr Range kRanges[] = {
        {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
        {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
        {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},
        {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
        {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
    };
    for (const Range& r : kRanges) {
        if (c >= r.first && c <= r.last) return true;
    }
    return false;
}
