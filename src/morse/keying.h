// Keying: how the tone of each element starts and stops. The window keys it hard, full volume
// from the first sample to the last; the exact tone may rise and fall over a few milliseconds
// instead, which keeps its energy near the carrier (no key clicks).
#pragma once

#include <cstdint>
#include <vector>

struct Keying {
    // The tone at exactly the asked frequency (exact_tone.h), not the window's whole-sample
    // period. A rise, or a sound format other than the window's, implies it.
    bool exactPitch = false;
    double riseMilliseconds = 0.0;  // each edge of an element; 0 keys hard
};

// The rise of a run in samples: the asked time rounded to the nearest sample, held to half the
// shortest element (a dot, `unitTicks` long, whose rounded length may be a sample shorter than
// its exact one), so that the rise and the fall of an element never overlap.
struct Rise {
    int64_t samples = 0;
    bool clamped = false;  // the asked rise was longer than half a dot
};
Rise RiseFor(double milliseconds, int32_t rate, int64_t unitTicks);

// The gains of a rise of `samples` samples, first sample first: a raised cosine,
// (1 - cos(pi x)) / 2, taken at the middle of each sample, so that the fall, the rise read
// backwards from an element's last sample, is its mirror image. Its ends have no corners, so
// that little of the tone's energy splatters away from its frequency.
std::vector<double> RiseGains(int64_t samples);
