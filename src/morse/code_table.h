// The characters Velmora can sound, each a single byte of code page 932. The window's table has
// 113: the Latin letters and digits in the international Morse code, the half-width katakana and
// marks in Wabun, and the Wabun brackets for ( and ). The table with punctuation adds the ITU
// marks, whose ( and ) take the place of the Wabun brackets, and reads prosigns.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "morse/timing.h"

struct CodeEntry {
    unsigned char character;
    std::string_view sequence;  // '.' a dot, '-' a dash, first element first
    int unitLength;             // the elements, the gaps between them and the letter gap after
};

// The table a run sounds with: a plain value of the request. The window sounds with its own table (Window).
enum class CodeSet {
    Window,       // letters, digits, Wabun, and the Wabun brackets for ( and )
    Punctuation,  // the same with the ITU marks . , ? ' ! / ( ) & : ; = + - _ " $ @ and prosigns
};

// One table: its entries in the order they are listed, looked up by byte.
class CodeTable {
  public:
    constexpr CodeTable(std::span<const CodeEntry> entries, const std::array<uint8_t, 256>& index,
                        const std::array<uint8_t, 256>& unitLengths, bool prosigns)
        : entries_(entries), index_(index), unitLengths_(unitLengths), prosigns_(prosigns) {}

    std::span<const CodeEntry> Entries() const { return entries_; }
    // The entry of `byte`, or nullptr for a byte that cannot be sounded.
    const CodeEntry* Lookup(unsigned char byte) const {
        const uint8_t slot = index_[byte];
        return slot == 0 ? nullptr : &entries_[slot - 1u];
    }
    // The unit length of every byte, 0 for a byte that cannot be sounded.
    const std::array<uint8_t, 256>& UnitLengths() const { return unitLengths_; }
    // Whether letters in angle brackets ("<AR>") sound as one character, a prosign.
    bool HasProsigns() const { return prosigns_; }

  private:
    std::span<const CodeEntry> entries_;
    const std::array<uint8_t, 256>& index_;  // entry index + 1 for every byte, 0 for none
    const std::array<uint8_t, 256>& unitLengths_;
    bool prosigns_;
};

const CodeTable& CodeTableOf(CodeSet set);

// The window's table, which the functions below read.
inline constexpr int kCodeEntryCount = 113;

// Units a character occupies: its elements with the gaps between them, and the character gap
// after it.
constexpr int CodeUnitLength(std::string_view sequence) { return ElementUnits(sequence) + kCharacterGapUnits; }

// All entries, in the order they are tried.
const std::array<CodeEntry, kCodeEntryCount>& CodeEntries();

// The entry of `byte`, or nullptr for a byte that cannot be sounded.
const CodeEntry* CodeLookup(unsigned char byte);

