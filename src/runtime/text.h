// Text values: counted byte strings in code page 932 on the heap, each recorded in the string
// registry from its creation to its release.
//
// A value is the address of its first content byte. Before it lie four bytes holding the length
// (signed 32-bit, little-endian); after the content comes one zero byte, so that the platform can
// read the content as a zero-terminated string. The length is what counts: content may hold zeros.
//
// Ownership: a value has one owner. Operations consume the values they are given unless noted;
// a caller that still needs one passes a TextCopy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

using Text = char*;

// A byte that starts a double-byte character of code page 932; the byte after it completes it.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The size in bytes (1 or 2) of the character that starts with `first`, `remaining` bytes before
// the end. Text is read character by character from its start: a byte that ends a double-byte
// character never starts one, even where it has the value of a lead byte. A lead byte with
// nothing after it stands alone.
inline std::size_t Cp932CharacterSize(unsigned char first, std::size_t remaining) {
    return IsCp932LeadByte(first) && remaining > 1 ? 2 : 1;
}

Text TextNew(int32_t length);
void TextRelease(Text value);
int32_t TextLength(const char* value);
Text TextFromLiteral(const char* literal);
Text TextCopy(const char* value);
Text TextConcat(Text left, Text right);
int TextCompare(const char* left, Text right);
Text TextMid(Text value, int32_t start, int32_t length);
int TextFirstByte(Text value);

// The content of a value as a bounded buffer (does not consume it).
std::span<char> TextBytes(Text value);
std::span<const unsigned char> TextUnsignedBytes(const char* value);

// A variable that owns one text value: it starts empty, releases what it held when it receives
// a new value, and releases its value when it goes out of scope.
class TextVar {
  public:
    TextVar() : value_(TextNew(0)) {}
    explicit TextVar(Text value) : value_(value) {}
    ~TextVar() { TextRelease(value_); }
    TextVar(const TextVar&) = delete;
    TextVar& operator=(const TextVar&) = delete;

    void Assign(Text value) {
        TextRelease(value_);
        value_ = value;
    }
    Text Get() const { return value_; }
    // Hands the value on (to an operation that consumes it); the variable holds none afterwards.
    Text Take() {
        Text value = value_;
        value_ = nullptr;
        return value;
    }

  private:
    Text value_;
};
