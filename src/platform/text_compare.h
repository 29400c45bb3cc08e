// The platform's comparison of two byte strings in code page 932, each with an explicit length.
#pragma once

#include <cstdint>

// 1 (left sorts first), 2 (equal), 3 (left sorts last), 0 on failure.
int CompareStrings(const char* left, int32_t leftLength, const char* right, int32_t rightLength);

// Upper-cases the zero-terminated `text` in place, as the platform does for code page 932.
void UpperCaseInPlace(char* text);
