#include "cli/code_listing.h"

#include <cctype>
#include <cstdio>
#include <optional>

#include "frontend/code_page.h"
#include "morse/message_characters.h"

namespace {

struct Group {
    const char* title;
    bool (*holds)(unsigned char character);
    std::optional<CodeSet> only;  // the one table whose listing has the group; none: every table's
};

bool IsMark(unsigned char c) { return std::ispunct(c) != 0 && c < 0x80; }

// The window's only marks are the parentheses, with the Wabun brackets' codes.
const Group kGroups[] = {
    {"Latin letters (international Morse)", [](unsigned char c) { return std::isalpha(c) != 0 && c < 0x80; }, {}},
    {"Digits (international Morse)", [](unsigned char c) { return std::isdigit(c) != 0; }, {}},
    {"Parentheses (the Wabun brackets)", IsMark, CodeSet::Window},
    {"Punctuation marks (ITU-R M.1677-1; ! & ; _ $ customary)", IsMark, CodeSet::Punctuation},
    {"Wabun (half-width katakana and marks)", [](unsigned char c) { return c >= 0xA1; }, {}},
};

std::string Row(const std::string& shown, std::string_view elements, int64_t units) {
    char row[80];
    (void)std::snprintf(row, sizeof row, "  %s  %-7.*s %2lld units\n", shown.c_str(), static_cast<int>(elements.size()),
                        elements.data(), static_cast<long long>(units));
    return row;
}

// The prosign line, with <AR> worked through by the rule that sounds every prosign.
std::string ProsignLine(const CodeTable& codes) {
    const std::string_view example = "<AR>";
    const MessageCharacter ar = MessageCharacterAt(example, codes);
    return "\nProsigns: letters in angle brackets (<AR>, <SK>, <BT>, <KN>, <SOS>, any run) sound as one\n"
           "character, their elements run on with one unit between letters:\n" +
           Row(std::string(example), ElementsOf(ar.letters, codes), ElementUnitsOf(ar.letters, codes) + kCharacterGapUnits);
}

}  // namespace

std::string CodeListing(CodeSet set) {
    const CodeTable& codes = CodeTableOf(set);
    std::string listing;
    for (const Group& group : kGroups) {
        if (group.only && *group.only != set) continue;
        std::string rows;
        for (const CodeEntry& entry : codes.Entries()) {
            if (!group.holds(entry.character)) continue;
            rows += Row(Utf8FromCp932(std::string(1, static_cast<char>(entry.character))), entry.sequence, entry.unitLength);
        }
        if (!listing.empty()) listing += "\n";
        listing += std::string(group.title) + "\n" + rows;
    }
    if (codes.HasProsigns()) listing += ProsignLine(codes);
    return listing;
}
