// The tone writer: one Morse element as a burst of sine tone, written into the sample area.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "morse/timing.h"

// The samples of one run's tone, computed once and copied into every element. `tile` holds
// whole periods back to back (one period would do; a longer tile makes fewer copies); it is
// empty for a frequency that has no period, whose elements are silence.
struct Tone {
    uint32_t period = 0;
    std::vector<uint8_t> tile;
};

// Samples per cycle for `frequency` read as unsigned; 0 when there is none (0 Hz, above 8000).
uint32_t TonePeriod(int32_t frequency);
// Sample `index` of an element (every element starts at phase 0).
uint8_t ToneSample(uint32_t period, int32_t volume, uint32_t index);
Tone ToneMake(int32_t frequency, int32_t volume);

// The tone as a listener hears it: its period, whether any sample differs from silence (periods
// of 1 and 2 samples and a volume of 0 give none), and the pitch that the period makes.
struct ToneHeard {
    uint32_t period = 0;
    bool audible = false;
    double hertz = 0.0;
};
ToneHeard ToneAsHeard(int32_t frequency, int32_t volume);

// Lays `bytes` bytes of a tile that repeats over `out`, starting `phase` bytes into the tile: a
// steady tone copied in strides of whole tiles. Both tones' writers use it.
void TileRepeat(std::span<const uint8_t> tile, std::size_t phase, uint8_t* out, std::size_t bytes);

// Writes one element of `span` samples at `position` of `area`, starting at the tone's phase 0;
// silence for a tone without a period. Only the part of the element inside `area` is written.
void ToneWrite(std::span<uint8_t> area, int64_t position, const Tone& tone, int64_t span);

// The tone writer's two elements at the window's timing for a dot length in milliseconds. The
// renderer writes each element through ToneWrite with its run's timing; the tests call these to
// check one element on its own.
void WriteDot(std::span<uint8_t> area, int64_t position, const Tone& tone, int32_t dotLength);
void WriteDash(std::span<uint8_t> area, int64_t position, const Tone& tone, int32_t dotLength);
