// The window's two passes as single calls, for the tests and benchmarks that check one pass on its
// own: cleaning without word breaks, and rendering at the window's timing.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/text.h"

// The cleaned message without word breaks, and its unit count (kNothingToSound when empty).
int64_t MeasureAndClean(TextVar& message);

// Renders at the window's timing for the dot length. Returns where the write position ends: past
// the character gap after the last character, samples per unit x (unit count + 3); 0 for none.
int64_t Render(const char* message, std::span<uint8_t> samples, int32_t dotLength, int32_t toneFrequency,
               int32_t volume);
