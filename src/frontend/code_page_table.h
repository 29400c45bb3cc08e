// Code page 932 from a table instead of the system's conversion, for a system that has none
// (WebAssembly). The table is made from the C library's conversion by
// code_page_table_generator.cpp, and gives the same answers for every character and byte pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// One mapping: a code page 932 character (a byte, or lead byte x 256 + trail byte) and a code point.
struct Cp932Mapping {
    uint16_t from;
    uint16_t to;
};

// Code page 932 to code points, sorted by the bytes: every byte above ASCII that is a character
// alone, and every byte pair whose lead byte is none. ASCII is itself.
extern const std::span<const Cp932Mapping> kCp932Decoding;
// Code points to code page 932, sorted by code point: only bytes that read back as the same
// character, so a character that has only a near form (the yen sign) has no row.
extern const std::span<const Cp932Mapping> kCp932Encoding;

// As Cp932FromUtf8Character and Utf8FromCp932 (code_page.h), from the tables.
std::optional<std::string> Cp932FromUtf8CharacterByTable(std::string_view utf8Character);
std::string Utf8FromCp932ByTable(std::string_view cp932);
