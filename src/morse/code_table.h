// The characters Velmora can sound: 113 single bytes of code page 932, the Latin letters and
// digits in the international Morse code, the half-width katakana and marks in Wabun.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "morse/timing.h"

struct CodeEntry {
    unsigned char character;
    std::string_view sequence;  // '.' a dot, '-' a dash, first element first
    int unitLength;             // the elements, the gaps between them and the letter gap after
};

inline constexpr int kCodeEntryCount = 113;

// Units a character occupies: its elements with the gaps between them, and the character gap
// after it.
constexpr int CodeUnitLength(std::string_view sequence) { return ElementUnits(sequence) + kCharacterGapUnits; }

// All entries, in the order they are tried.
const std::array<CodeEntry, kCodeEntryCount>& CodeEntries();

// The entry of `byte`, or nullptr for a byte that cannot be sounded.
const CodeEntry* CodeLookup(unsigned char byte);

// The unit length of every byte, 0 for a byte that cannot be sounded: one load per byte for the
// passes over a whole message.
const std::array<uint8_t, 256>& CodeUnitLengths();
