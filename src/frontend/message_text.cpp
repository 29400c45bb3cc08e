#include "frontend/message_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

#include "frontend/code_page.h"
#include "frontend/utf8.h"
#include "morse/message_characters.h"

namespace {

constexpr std::size_t kPositionsKept = 3;

std::string Hex(const char* format, unsigned value) {
    char text[16];
    (void)std::snprintf(text, sizeof text, format, value);  // "U+10FFFF" at the longest
    return text;
}

// What may be echoed of a character: nothing for a control or format character.
std::string Shown(std::string_view utf8) {
    char32_t c = 0;
    const std::size_t n = Utf8Decode(utf8, c);
    if (n == 0 || n != utf8.size() || IsControlOrFormat(c)) return {};
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

// The message built character by character, with what is left out gathered as it goes.
class MessageBuilder {
  public:
    MessageBuilder(std::size_t inputSize, const MessageTextOptions& options)
        : options_(options), codes_(CodeTableOf(options.codes)) {
        text_.cp932.reserve(inputSize);
        if (options.mapCharacters) text_.characterSizes.reserve(inputSize);
    }

    // Starts the next input character, `inputSize` bytes of the input.
    void Next(std::size_t inputSize) {
        ++position_;
        if (options_.mapCharacters) text_.characterSizes.push_back({static_cast<uint8_t>(inputSize), 0});
    }

    // Appends the bytes of the character and notes it if any of them will not be sounded: a
    // double-byte character may sound as its second byte alone, the character that byte happens
    // to be (the window's byte-by-byte pass, which every table follows). Whitespace that parts
    // words is not left out, nor are the brackets of a prosign, which only the brackets' text in
    // code page 932 tells (a character left out between them takes no place in it).
    template <typename Describe>
    void Add(std::string_view bytes, Describe describe) {
        text_.cp932 += bytes;
        if (options_.mapCharacters) text_.characterSizes.back().cp932 = static_cast<uint8_t>(bytes.size());
        if (codes_.HasProsigns() && AddedBracket(bytes, describe)) return;
        using Kind = MessageCharacter::Kind;
        const MessageCharacter character = MessageCharacterAt(bytes, codes_);
        if (character.kind == Kind::Sounded && character.letters.size() == bytes.size()) return;
        if (character.kind == Kind::WordSpace && options_.wordGaps) return;
        const std::string sounded(character.kind == Kind::Sounded ? character.letters : std::string_view());
        const auto why = sounded.empty() ? LeftOutCharacter::Why::NoMorseCode : LeftOutCharacter::Why::OnlySecondByteSounds;
        LeaveOut(bytes, why, [&](LeftOutCharacter& c) {
            describe(c);
            c.sounded = Utf8FromCp932(sounded);
        });
    }

    // Notes the character as left out, as the user typed it.
    template <typename Describe>
    void LeaveOut(std::string_view bytes, LeftOutCharacter::Why why, Describe describe) {
        LeaveOutAt(position_, bytes, why, describe);
    }

    // In the order of their first occurrence, which an opening bracket noted late keeps too.
    MessageText Take() {
        LeaveOutOpeningBracket();
        text_.leftOut = leftOut_.Take();
        std::stable_sort(text_.leftOut.begin(), text_.leftOut.end(), [](const auto& a, const auto& b) {
            return a.firstPositions.front() < b.firstPositions.front();
        });
        return std::move(text_);
    }

  private:
    // Handles '<' and '>', just appended: an opening bracket waits for the closing bracket that
    // may make it a prosign; the first closing bracket after it decides, with the reading of the
    // code table's characters. True when the bracket is handled; a closing bracket that closes
    // nothing is then left out as any other character.
    template <typename Describe>
    bool AddedBracket(std::string_view bytes, Describe describe) {
        if (bytes == "<") {
            LeaveOutOpeningBracket();
            openingPosition_ = position_;
            openingAt_ = text_.cp932.size() - 1;
            openingDescribed_ = {};
            describe(openingDescribed_);
            return true;
        }
        if (bytes != ">" || openingPosition_ == 0) return false;
        const std::string_view from = std::string_view(text_.cp932).substr(openingAt_);
        const bool prosign = ProsignSize(from, codes_) == from.size();
        if (prosign) openingPosition_ = 0;
        LeaveOutOpeningBracket();
        return prosign;
    }

    void LeaveOutOpeningBracket() {
        if (openingPosition_ == 0) return;
        LeaveOutAt(openingPosition_, "<", LeftOutCharacter::Why::NoMorseCode, [this](LeftOutCharacter& c) {
            c.shown = openingDescribed_.shown;
            c.code = openingDescribed_.code;
        });
        openingPosition_ = 0;
    }

    template <typename Describe>
    void LeaveOutAt(std::size_t position, std::string_view bytes, LeftOutCharacter::Why why, Describe describe) {
        if (options_.folding == nullptr) {
            leftOut_.Add(position, bytes, why, describe);
            return;
        }
        const std::size_t index = options_.folding->origin.at(position - 1);
        const std::string_view typed = TypedCharacter(options_.typed, *options_.folding, position - 1);
        leftOut_.Add(index + 1, typed, why, [&](LeftOutCharacter& c) {
            describe(c);
            char32_t codePoint = 0;
            if (Utf8Decode(typed, codePoint) != typed.size()) return;  // a byte that is not UTF-8 is itself
            c.shown = Shown(typed);
            c.code = Hex("U+%04X", static_cast<unsigned>(codePoint));
        });
    }

    MessageTextOptions options_;
    const CodeTable& codes_;
    // An opening bracket that may begin a prosign: its input character's position (0 for none),
    // where it stands in cp932, and how it is described.
    std::size_t openingPosition_ = 0;
    std::size_t openingAt_ = 0;
    LeftOutCharacter openingDescribed_;
    MessageText text_;
    LeftOutCollector leftOut_;
    std::size_t position_ = 0;
};

MessageText FromUtf8(std::string_view input, const MessageTextOptions& options) {
    MessageBuilder message(input.size(), options);
    for (std::size_t at = 0; at < input.size();) {
        char32_t codePoint = 0;
        const std::size_t n = Utf8Decode(input.substr(at), codePoint);
        message.Next(n == 0 ? 1 : n);
        if (n == 0) {
            message.LeaveOut(input.substr(at, 1), LeftOutCharacter::Why::NotUtf8, [&](LeftOutCharacter& c) {
                c.code = Hex("0x%02X", static_cast<unsigned char>(input[at]));
            });
            ++at;
            continue;
        }
        const std::string_view character = input.substr(at, n);
        at += n;
        const auto describe = [&character, codePoint](LeftOutCharacter& c) {
            c.shown = Shown(character);
            c.code = Hex("U+%04X", static_cast<unsigned>(codePoint));
        };
        if (n == 1) {
            message.Add(character, describe);
            continue;
        }
        const auto bytes = Cp932FromUtf8Character(character);
        if (!bytes) {
            message.LeaveOut(character, LeftOutCharacter::Why::NotInCp932, describe);
            continue;
        }
        message.Add(*bytes, describe);
    }
    return message.Take();
}

MessageText FromCp932(std::string_view input, const MessageTextOptions& options) {
    MessageBuilder message(input.size(), options);
    for (std::size_t at = 0; at < input.size();) {
        const std::string_view bytes = input.substr(at, Cp932CharacterSize(input.substr(at)));
        at += bytes.size();
        message.Next(bytes.size());
        message.Add(bytes, [&bytes](LeftOutCharacter& c) {
            c.shown = Shown(Utf8FromCp932(bytes));
            c.code = Hex("0x%02X", static_cast<unsigned char>(bytes[0]));
            if (bytes.size() == 2) c.code += Hex(" 0x%02X", static_cast<unsigned char>(bytes[1]));
        });
    }
    return message.Take();
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

std::string ReportLine(const LeftOutCharacter& c, const std::string& prefix) {
    std::string line = prefix;
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

MessageText MessageTextFrom(std::string_view input, MessageEncoding encoding, const MessageTextOptions& options) {
    return encoding == MessageEncoding::Utf8 ? FromUtf8(input, options) : FromCp932(input, options);
}

std::string LeftOutReport(const std::vector<LeftOutCharacter>& leftOut, std::size_t limit, const std::string& prefix) {
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
            report += ReportLine(c, prefix);
            ++shown;
        }
    }
    if (leftOut.size() > shown) {
        const std::size_t kinds = leftOut.size() - shown;
        report += prefix + "and " + std::to_string(kinds) + (kinds == 1 ? " more character" : " more characters") +
                  " left out (" + Times(rest) + " in all)\n";
    }
    return report;
}

std::string SafeToShow(std::string_view text) {
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t n = Utf8Decode(text.substr(at), c);
        if (n == 0) {
            shown += Hex("<0x%02X>", static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        shown += IsControlOrFormat(c) ? Hex("<U+%04X>", static_cast<unsigned>(c)) : std::string(text.substr(at, n));
        at += n;
    }
    return shown;
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
