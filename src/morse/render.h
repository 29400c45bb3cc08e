// The second pass over the cleaned message: every dot and dash written at its place in the
// sample area; the gaps are left as they are (silent).
#pragma once

#include <cstdint>
#include <span>

// Dot 1 unit, dash 3, the gap after an element 1 and after a character 3; a unit is 8 samples
// per millisecond of dot length. Returns where the write position ends: 8 x dot length x
// (unit count + 3) for a cleaned message. Writes nothing outside `samples`.
int64_t Render(const char* message, std::span<uint8_t> samples, int32_t dotLength, int32_t toneFrequency,
               int32_t volume);
