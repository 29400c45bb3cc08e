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
#include <string_view>

using Text = char*;

// A byte that starts a double-byte character of code page 932; the byte after it completes it.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// A byte that can end a double-byte character: 0x40 to 0xFC, except 0x7F.
inline bool IsCp932TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The size in bytes (1 or 2) of the character at the start of `rest`, which is not empty. Text
// is read character by character from its start: a byte that ends a double-byte character never
// starts one, even where it has the value of a lead byte. A lead byte stands alone at the end,
// or before a byte that cannot end a character (a blank, a control, a digit), which is then a
// character of its own.
inline std::size_t Cp932CharacterSize(std::string_view rest) {
    const auto first = static_cast<unsigned char>(rest[0]);
    return rest.size() > 1 && IsCp932LeadByte(first) && IsCp932TrailByte(static_cast<unsigned char>(rest[1])) ? 2 : 1;
}

inline constexpr std::size_t kTextMaxLength = INT32_MAX;

Text TextNew(int32_t length);
void TextRelease(Text value);
int32_t TextLength(const char* value);
Text TextFromLiteral(const char* literal);
// A value holding `bytes`. More than a value's 32-bit length holds (kTextMaxLength) is reported as
// the heap running out, as a block that large would be.
Text TextFromBytes(std::string_view bytes);
Text TextCopy(const char* value);
Text TextConcat(Text left, Text right);
int TextCompare(const char* left, Text right);
Text TextMid(Text value, int32_t start, int32_t length);
int TextFirstByte(Text value);

// The content of a value as a bounded buffer (does not consume it).
std::span<char> TextBytes(Text value);
std::span<const unsigned char> TextUnsignedBytes(const char* value);
std::string_view TextView(const char* value);

// A variable that owns one text value: it starts empty, releases what it held when it receives
// a new value, and releases its value when it goes out of scope.
class TextVar {
  public:
    TextVar() : value_(TextNew(0)) {}
    explicit TextVar(Text value) : value_(value) {}
    ~TextVar() { TextRelease(value_); }
    TextVar(const TextVar&) = delete;
    TextVar& operator=(const TextVar&) = delete;
    // Moving hands the value on; the moved-from variable holds none (releasing none is harmless).
    TextVar(TextVar&& other) noexcept : value_(other.Take()) {}
    TextVar& operator=(TextVar&& other) noexcept {
        if (this != &other) Assign(other.Take());
        return *this;
    }

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
