// The message as the command line gives it, turned into code page 932 with the report of what
// is left out. The first byte chooses the encoding and the report's line limit; the rest is
// the message. Checked against a UTF-8 reader of its own: the code page 932 bytes, the counts
// and positions of the left-out characters, and a report that is safe to print on a terminal.
#include <algorithm>
#include <optional>
#include <string>

#include "frontend/message_text.h"
#include "fuzz_support.h"
#include "morse/code_table.h"
#include "frontend/code_page.h"

namespace {

constexpr MessageEncoding kEncodings[] = {MessageEncoding::Utf8, MessageEncoding::Cp932};
constexpr std::size_t kEncodingCount = std::size(kEncodings);

struct Decoded {
    std::size_t length = 0;  // 0: no well-formed character starts here
    char32_t codePoint = 0;
};

// A well-formed UTF-8 character at the start of `rest`: decoded first, then held to the
// shortest form, outside the surrogates and at most U+10FFFF.
Decoded DecodeUtf8(std::string_view rest) {
    const auto byte = [&rest](std::size_t k) { return static_cast<unsigned char>(rest[k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {1, lead};
    std::size_t n = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        n = 2, c = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3, c = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4, c = lead & 0x07u;
    } else {
        return {};
    }
    if (rest.size() < n) return {};
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return {};
        c = (c << 6) | (byte(k) & 0x3Fu);
    }
    const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < shortest[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
    return {n, c};
}

// What must never reach a terminal raw: controls other than the line feed, the C1 controls,
// zero-width and bidirectional formatting characters, the line and paragraph separators and
// the byte order mark.
bool UnsafeOnTerminal(char32_t c) {
    if (c == '\n') return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

bool AllSound(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return CodeLookup(static_cast<unsigned char>(b)); });
}

// What the conversion must give: the code page 932 bytes, and the 1-based positions of the
// characters that are not sounded as themselves.
struct Expected {
    std::string cp932;
    std::vector<std::size_t> leftOut;
};

Expected FromUtf8Model(std::string_view input) {
    Expected e;
    std::size_t position = 0;
    for (std::size_t at = 0; at < input.size();) {
        ++position;
        const Decoded d = DecodeUtf8(input.substr(at));
        if (d.length == 0) {
            e.leftOut.push_back(position);
            ++at;
            continue;
        }
        const std::optional<std::string> bytes = Cp932FromUtf8Character(input.substr(at, d.length));
        at += d.length;
        if (!bytes) {
            e.leftOut.push_back(position);
            continue;
        }
        e.cp932 += *bytes;
        if (!AllSound(*bytes)) e.leftOut.push_back(position);
    }
    return e;
}

Expected FromCp932Model(std::string_view input) {
    Expected e{std::string(input), {}};
    std::size_t position = 0;
    for (std::size_t at = 0; at < input.size(); ++position) {
        // A lead byte and a byte that can end a character (0x40 to 0xFC but 0x7F) are one character.
        const auto next = static_cast<unsigned char>(at + 1 < input.size() ? input[at + 1] : 0);
        const bool pair = IsCp932LeadByte(static_cast<unsigned char>(input[at])) && next >= 0x40 && next <= 0xFC && next != 0x7F;
        const std::size_t n = pair ? 2 : 1;
        if (!AllSound(input.substr(at, n))) e.leftOut.push_back(position + 1);
        at += n;
    }
    return e;
}

// "once" or "N times" at the end of `text`, after a blank or an opening parenthesis.
std::size_t TimesAtEnd(std::string_view text) {
    if (text.ends_with(" once") || text.ends_with("(once")) return 1;
    FUZZ_CHECK(text.ends_with(" times"));
    text.remove_suffix(6);
    const std::size_t before = text.find_last_of(" (");
    FUZZ_CHECK(before != std::string_view::npos && before + 1 < text.size());
    const std::string_view digits = text.substr(before + 1);
    FUZZ_CHECK(digits.find_first_not_of("0123456789") == std::string_view::npos);
    return std::stoul(std::string(digits));
}

void CheckReport(const std::string& report, const std::vector<LeftOutCharacter>& groups, std::size_t limit,
                 std::size_t total) {
    for (std::size_t at = 0; at < report.size();) {
        const Decoded d = DecodeUtf8(std::string_view(report).substr(at));
        FUZZ_CHECK(d.length != 0);  // the report is UTF-8
        FUZZ_CHECK(!UnsafeOnTerminal(d.codePoint));
        at += d.length;
    }
    FUZZ_CHECK(report.empty() || report.back() == '\n');

    const std::size_t shown = std::min(groups.size(), limit);
    std::size_t lines = 0;
    std::size_t counted = 0;
    for (std::size_t start = 0; start < report.size(); ++lines) {
        const std::size_t end = report.find('\n', start);
        const std::string_view line = std::string_view(report).substr(start, end - start);
        start = end + 1;
        FUZZ_CHECK(line.starts_with("velmora-cli: "));
        if (lines < shown) {
            const std::size_t places = line.rfind(", at character");
            FUZZ_CHECK(places != std::string_view::npos);
            counted += TimesAtEnd(line.substr(0, places));
        } else {
            FUZZ_CHECK(line.starts_with("velmora-cli: and " + std::to_string(groups.size() - shown) + " more character"));
            FUZZ_CHECK(line.ends_with(" in all)"));
            counted += TimesAtEnd(line.substr(0, line.size() - 8));
        }
    }
    FUZZ_CHECK(lines == shown + (groups.size() > shown ? 1 : 0));
    FUZZ_CHECK(counted == total);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const MessageEncoding encoding = kEncodings[data[0] % kEncodingCount];
    const std::size_t limit = data[0] / kEncodingCount;
    const std::string_view input = FuzzBytes(data + 1, size - 1);

    const MessageText text = MessageTextFrom(input, encoding);
    const Expected expected = encoding == MessageEncoding::Utf8 ? FromUtf8Model(input) : FromCp932Model(input);
    FUZZ_CHECK(text.cp932 == expected.cp932);

    // The groups share out the left-out characters; each names the first few of its own.
    std::size_t total = 0;
    std::vector<std::size_t> firsts;
    for (const LeftOutCharacter& c : text.leftOut) {
        total += c.count;
        FUZZ_CHECK(c.count > 0);
        FUZZ_CHECK(c.firstPositions.size() == std::min<std::size_t>(c.count, 3));
        FUZZ_CHECK(std::is_sorted(c.firstPositions.begin(), c.firstPositions.end()));
        FUZZ_CHECK(firsts.empty() || c.firstPositions.front() > firsts.back());  // in order of first occurrence
        firsts.push_back(c.firstPositions.front());
        for (std::size_t p : c.firstPositions) {
            FUZZ_CHECK(std::binary_search(expected.leftOut.begin(), expected.leftOut.end(), p));
        }
    }
    FUZZ_CHECK(total == expected.leftOut.size());
    if (!firsts.empty()) FUZZ_CHECK(firsts.front() == expected.leftOut.front());

    CheckReport(LeftOutReport(text.leftOut, limit), text.leftOut, limit, total);
    return 0;
}
