#include "cli/code_listing.h"

#include <cctype>
#include <cstdio>

#include "frontend/code_page.h"
#include "morse/code_table.h"

namespace {

struct Group {
    const char* title;
    bool (*holds)(unsigned char character);
};

constexpr Group kGroups[] = {
    {"Latin letters (international Morse)", [](unsigned char c) { return std::isalpha(c) != 0 && c < 0x80; }},
    {"Digits (international Morse)", [](unsigned char c) { return std::isdigit(c) != 0; }},
    {"Parentheses (the Wabun brackets)", [](unsigned char c) { return c == '(' || c == ')'; }},
    {"Wabun (half-width katakana and marks)", [](unsigned char c) { return c >= 0xA1; }},
};

}  // namespace

std::string CodeListing() {
    std::string listing;
    for (const Group& group : kGroups) {
        if (!listing.empty()) listing += "\n";
        listing += std::string(group.title) + "\n";
        for (const CodeEntry& entry : CodeEntries()) {
            if (!group.holds(entry.character)) continue;
            const std::string shown = Utf8FromCp932(std::string(1, static_cast<char>(entry.character)));
            char row[80];
            (void)std::snprintf(row, sizeof row, "  %s  %-7.*s %2d units\n", shown.c_str(),
                          static_cast<int>(entry.sequence.size()), entry.sequence.data(), entry.unitLength);
            listing += row;
        }
    }
    return listing;
}
