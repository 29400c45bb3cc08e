// Rounding to the nearest whole number, a half away from zero: what std::round and std::llround
// promise. MinGW-w64's C library computes those as floor(x + 0.5), and 0.49999999999999994 + 0.5
// is 1.0 in doubles: that value, which an exact tone of volume 1 and a pad or rise of a sixteenth
// of a millisecond give, would round up on Windows and down elsewhere. Here the fraction is taken
// exactly (x - trunc(x) loses nothing), so that every system writes the same samples.
#pragma once

#include <cmath>
#include <cstdint>

inline double NearestWhole(double x) {
    const double whole = std::trunc(x);
    const double fraction = x - whole;
    if (fraction >= 0.5) return whole + 1.0;
    if (fraction <= -0.5) return whole - 1.0;
    return whole;  // a NaN too, as std::round gives it
}

// The nearest 64-bit integer: beyond the range, its nearer end; for a NaN, 0. The callers hold
// such values back first, and a value they let through still converts to a defined number.
inline int64_t NearestInt64(double x) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    const double whole = NearestWhole(x);
    if (std::isnan(whole)) return 0;
    if (whole >= kTwoTo63) return INT64_MAX;
    if (whole < -kTwoTo63) return INT64_MIN;
    return static_cast<int64_t>(whole);
}
