// Reading a number from a text value: decimals with an optional sign and fraction, and the
// octal (&O) and hexadecimal (&H) integer forms. Never fails: what is not a number gives 0.
#pragma once

#include <cstddef>

#include "runtime/text.h"

// Reads `text` up to its first zero byte; the value stays the caller's. `used`, if given,
// receives how many bytes the number took (leading blanks included), 0 when there was none.
double TextToNumber(const char* text, std::size_t* used = nullptr);
