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

#include <cstdint>
#include <span>

using Text = char*;

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
    // Hands the value to an operation that consumes it; the variable is left holding none.
    Text Take() {
        Text value = value_;
        value_ = nullptr;
        return value;
    }

  private:
    Text value_;
};
