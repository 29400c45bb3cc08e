// The characters Velmora can sound: 113 single bytes of code page 932, the Latin letters and
// digits in the international Morse code, the half-width katakana and marks in Wabun.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct CodeEntry {
    unsigned char character;
    std::string_view sequence;  // '.' a dot, '-' a dash, first element first
    int unitLength;             // the elements, the gaps between them and the letter gap after
};

inline constexpr int kCodeEntryCount = 113;

// Units a character occupies: a dot is 1, a dash 3, each gap between elements 1, and the
// letter gap after the character 3.
constexpr int CodeUnitLength(std::string_view sequence) {
    int units = 3 + static_cast<int>(sequence.size()) - 1;
    for (char element : sequence) units += element == '-' ? 3 : 1;
    return units;
}

// All entries, in the order they are tried.
const std::array<CodeEntry, kCodeEntryCount>& CodeEntries();

// The entry of `byte`, or nullptr for a byte that cannot be sounded.
const CodeEntry* CodeLookup(unsigned char byte);
