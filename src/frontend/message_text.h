// The message as the window's field would hold it: bytes in code page 932. Characters that
// the conversion or the code table leaves out are gathered by kind, so that the user can be
// told once per character however often it occurs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <string_view>

#include "frontend/kana_fold.h"
#include "morse/code_table.h"

// How the message's bytes are given: UTF-8, or code page 932 used as it is.
enum class MessageEncoding { Utf8, Cp932 };

// One distinct character that is not sounded as itself, with where it occurs.
struct LeftOutCharacter {
    enum class Why { NotUtf8, NotInCp932, NoMorseCode, OnlySecondByteSounds };

    std::string shown;     // the character in UTF-8, empty when it must not be echoed (a
                           // control or format character, or a byte that is no character)
    std::string code;      // "U+30A2", "0xE0" for a byte that is not UTF-8, "0x83 0x41" for code page 932
    Why why = Why::NoMorseCode;
    std::string sounded;   // for OnlySecondByteSounds: what is sent instead, in UTF-8
    std::size_t count = 0;
    std::vector<std::size_t> firstPositions;  // 1-based, in characters of the input; a few at most
};

// How many bytes one input character takes in the input and gives in `cp932`: walked in order,
// the sizes give each character's place in both.
struct CharacterSize {
    uint8_t input = 0;  // 1 to 4
    uint8_t cp932 = 0;  // 0 to 2
};

struct MessageText {
    std::string cp932;
    std::vector<LeftOutCharacter> leftOut;  // in the order of their first occurrence
    // Only when asked for, to tell where each byte came from: one entry per input character.
    std::vector<CharacterSize> characterSizes;
};

struct MessageTextOptions {
    bool mapCharacters = false;  // fill characterSizes
    bool wordGaps = false;       // whitespace parts words: it is not reported as left out
    CodeSet codes = CodeSet::Window;  // what is sounded, and so what is reported as left out
    // When the input is the folded form of what the user typed: the typed text and its folding.
    // A character left out is then reported as it was typed, counted with the same typed
    // character and placed where it was typed.
    const FoldedText* folding = nullptr;
    std::string_view typed;
};

MessageText MessageTextFrom(std::string_view input, MessageEncoding encoding, const MessageTextOptions& options = {});

// One line per distinct character, at most `limit` of them, then a count of the rest, each line
// starting with `prefix`. Characters whose second byte sounds come first, as warnings: they
// change what is heard.
std::string LeftOutReport(const std::vector<LeftOutCharacter>& leftOut, std::size_t limit,
                          const std::string& prefix = "velmora-cli: ");

// Text the user gave (an option's value, a path), made safe to echo: every control or format
// character and every byte that is not UTF-8 shown by its code, as <U+001B> or <0xFF>.
std::string SafeToShow(std::string_view text);

// A control or format character (C0 and C1 controls, bidirectional overrides, zero-width
// characters, line and paragraph separators): echoing it raw could drive the user's terminal.
bool IsControlOrFormat(char32_t c);
