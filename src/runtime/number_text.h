// Reading a number from a text value: decimals with an optional sign and fraction, and the
// octal (&O) and hexadecimal (&H) integer forms. Never fails: what is not a number gives 0.
#pragma once

#include "runtime/text.h"

// Reads `text` up to its first zero byte; the value stays the caller's.
double TextToNumber(const char* text);
