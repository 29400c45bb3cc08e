// The characters of a message as a code table reads them: the one rule that cleaning, measuring,
// rendering, the labels, the report of left-out characters and the dry run share, so that none
// of them can count a character that another sounds otherwise.
//
// A message is code page 932, read character by character from its start (Cp932CharacterSize).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "morse/code_table.h"

struct MessageCharacter {
    enum class Kind {
        Sounded,    // it has a code
        WordSpace,  // whitespace that parts words, where words are kept apart
        Unsounded,  // anything else: cleaning drops it
    };
    Kind kind = Kind::Unsounded;
    std::size_t size = 0;      // the bytes of the message it takes, at least 1
    std::string_view kept;     // when sounded: what the cleaned message keeps of it
    std::string_view letters;  // when sounded: the bytes whose codes it sounds, first to last
};

// The length of the prosign at the front of `rest`: '<', one or more ASCII letters, '>'; 0 where
// none starts, and always with a table that reads no prosigns.
std::size_t ProsignSize(std::string_view rest, const CodeTable& codes);

// The character at the front of `rest`, which is not empty:
// - a prosign: its letters' elements run on with the gap inside a character between them, and
//   the cleaned message keeps it with its brackets, so that it reads as one character again;
// - a single byte with a code in the table;
// - a double-byte character whose second byte has a code in the window's table (a letter or a
//   katakana): the window's byte-by-byte pass sounds that byte, and so does every table. The
//   marks that punctuation adds never sound from a second byte: '@' and '_' end many double-byte
//   characters, the ideographic space among them.
MessageCharacter MessageCharacterAt(std::string_view rest, const CodeTable& codes);

// The units of a sounded character's elements and the gaps between them, its letters' together.
int64_t ElementUnitsOf(std::string_view letters, const CodeTable& codes);
// Its elements as '.' and '-', letter after letter: the letters of <AR> give ".-.-.".
std::string ElementsOf(std::string_view letters, const CodeTable& codes);
