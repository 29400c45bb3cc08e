// The first pass over a message: cut out every byte that cannot be sounded and count the units
// that the rest will take.
#pragma once

#include <cstdint>

#include "runtime/text.h"

// The unit count when nothing is left to sound.
inline constexpr int64_t kNothingToSound = -3;

// Replaces `message` with its cleaned form (the bytes with a code, in their order) and returns
// the unit count: the sum of the characters' unit lengths less the letter gap after the last
// one, or kNothingToSound. Counted in 64 bits so that no message can wrap it.
int64_t MeasureAndClean(TextVar& message);
